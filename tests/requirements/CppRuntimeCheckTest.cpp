#include "requirements/CppRuntimeCheck.h"

#include <gtest/gtest.h>

#include "fakes/Profiles.h"

namespace Talvane::Nimlo {
namespace {

using Testing::Runtimes;

const std::u16string X86_2008 = u"Microsoft Visual C++ 2008 Redistributable x86";
const std::u16string X64_2008 = u"Microsoft Visual C++ 2008 Redistributable x64";
const std::u16string X86_2010 = u"Microsoft Visual C++ 2010 Redistributable x86";
const std::u16string X64_2010 = u"Microsoft Visual C++ 2010 Redistributable x64";
const std::u16string X86_2013 = u"Microsoft Visual C++ 2013 Redistributable x86";
const std::u16string X64_2013 = u"Microsoft Visual C++ 2013 Redistributable x64";
const std::u16string X86_2015 = u"Microsoft Visual C++ 2015 Redistributable x86";
const std::u16string X64_2015 = u"Microsoft Visual C++ 2015 Redistributable x64";

const std::vector<std::u16string> Client{X86_2015};
const std::vector<std::u16string> WebServer{X86_2008, X86_2010, X86_2013, X86_2015};
const std::vector<std::u16string> AppServer64{X64_2008, X86_2010, X64_2010, X64_2013, X64_2015};

TEST(CppRuntimeCheckTest, ClientWithOnlyThe2015Packages)
{
    const RequirementResult row =
        CheckCppRuntimes(Client, Runtimes({false, false, false, false, false, false, true, true}));
    EXPECT_TRUE(row.passed);
    EXPECT_EQ(row.Hardware(), u"Required C++ Runtimes *");
    EXPECT_EQ(row.Requirements(), X86_2015 + u"~");
    EXPECT_EQ(row.System(), u"{{CHECKBOX_OFF}}" + X86_2008 + u"~{{CHECKBOX_OFF}}" + X64_2008 + u"~{{CHECKBOX_OFF}}" +
                                X86_2010 + u"~{{CHECKBOX_OFF}}" + X64_2010 + u"~{{CHECKBOX_OFF}}" + X86_2013 +
                                u"~{{CHECKBOX_OFF}}" + X64_2013 + u"~{{CHECKBOX_ON}}" + X86_2015 + u"~{{CHECKBOX_ON}}" +
                                X64_2015 + u"~");
    EXPECT_EQ(row.Message(), u"All required runtimes were found on this system.");
}

TEST(CppRuntimeCheckTest, WebServerListsTheMissingInDetectionOrder)
{
    const RequirementResult row =
        CheckCppRuntimes(WebServer, Runtimes({false, false, false, false, false, false, true, true}));
    EXPECT_FALSE(row.passed);
    EXPECT_EQ(row.Requirements(), X86_2008 + u"~" + X86_2010 + u"~" + X86_2013 + u"~" + X86_2015 + u"~");
    EXPECT_EQ(row.Message(), u"The following runtimes were not found on this system:~" + X86_2008 + u"~" + X86_2010 +
                                 u"~" + X86_2013 + u"~");
}

TEST(CppRuntimeCheckTest, AppServerWithoutThe2010X86Package)
{
    const RequirementResult row =
        CheckCppRuntimes(AppServer64, Runtimes({false, true, false, true, false, true, false, true}));
    EXPECT_FALSE(row.passed);
    EXPECT_EQ(row.Message(), u"The following runtimes were not found on this system:~" + X86_2010 + u"~");
}

TEST(CppRuntimeCheckTest, ClientMissingOnlyThe2015X86ShowsAllEight)
{
    const RequirementResult row = CheckCppRuntimes(Client, Runtimes({true, true, true, true, true, true, false, true}));
    EXPECT_FALSE(row.passed);
    EXPECT_EQ(row.Message(), u"The following runtimes were not found on this system:~" + X86_2015 + u"~");
    const std::u16string system = row.System();
    std::size_t on = 0;
    for (std::size_t pos = system.find(u"{{CHECKBOX_ON}}"); pos != std::u16string::npos;
         pos = system.find(u"{{CHECKBOX_ON}}", pos + 1)) {
        ++on;
    }
    EXPECT_EQ(on, 7u);
}

TEST(CppRuntimeCheckTest, EmptyDetectedListPasses)
{
    const RequirementResult row = CheckCppRuntimes(WebServer, {});
    EXPECT_TRUE(row.passed);
    EXPECT_EQ(row.System(), u"");
    EXPECT_EQ(row.Message(), u"All required runtimes were found on this system.");
    EXPECT_EQ(row.Requirements(), X86_2008 + u"~" + X86_2010 + u"~" + X86_2013 + u"~" + X86_2015 + u"~");
}

TEST(CppRuntimeCheckTest, NamesMatchExactly)
{
    const std::vector<RuntimeStatus> detected{{u"microsoft visual c++ 2015 redistributable x86", false},
                                              {X86_2015 + u" ", false}};
    const RequirementResult row = CheckCppRuntimes(Client, detected);
    EXPECT_TRUE(row.passed);
    EXPECT_EQ(row.System(),
              u"{{CHECKBOX_OFF}}microsoft visual c++ 2015 redistributable x86~{{CHECKBOX_OFF}}" + X86_2015 + u" ~");
}

TEST(CppRuntimeCheckTest, SystemTextIsTheSameForEveryRole)
{
    const std::vector<RuntimeStatus> detected = Runtimes({true, false, true, false, true, false, true, false});
    const std::u16string system = CheckCppRuntimes(Client, detected).System();
    EXPECT_EQ(CheckCppRuntimes(WebServer, detected).System(), system);
    EXPECT_EQ(CheckCppRuntimes(AppServer64, detected).System(), system);
}

} // namespace
} // namespace Talvane::Nimlo
