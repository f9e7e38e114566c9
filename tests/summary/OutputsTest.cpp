#include "summary/Outputs.h"

#include <gtest/gtest.h>

#include "fakes/SummaryFolder.h"
#include "summary/HostFiles.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

using OutputsTest = Testing::SummaryFolderTest;

TEST_F(OutputsTest, OutputsThatCannotBeWrittenAreFoundBeforeAnyReportIsRead)
{
    Write("reports/a.html", EmbeddedGoldenAllPass);
    Write("earlier.csv", "earlier");
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        const char* message;
    };
    const Case cases[] = {
        {"both outputs one file",
         {"--csv", Path("earlier.csv"), "--html", Path("earlier.csv"), Path("reports")},
         "--csv and --html name the same file"},
        {"both outputs one new file",
         {"--csv", Path("new.x"), "--html", Path("./new.x"), Path("reports")},
         "--csv and --html name the same file"},
        {"a folder", {"--csv", Path("reports/sub"), Path("reports")}, "cannot be written: is a folder"},
        {"a folder that does not exist",
         {"--html", Path("no-such/overview.html"), Path("reports")},
         "cannot be written: the folder"},
    };
    for (const Case& c : cases) {
        files_.unreadable.insert((root_ / "reports" / "a.html").lexically_normal()); // would show up if it were read
        EXPECT_EQ(Run(c.arguments), 1) << c.name;
        EXPECT_NE(err_.str().find(c.message), std::string::npos) << c.name << ": " << err_.str();
        EXPECT_EQ(err_.str().find("a.html"), std::string::npos) << c.name << ": a report was read";
        EXPECT_EQ(Read("earlier.csv"), "earlier") << c.name;
        EXPECT_EQ(Names(""), (std::vector<std::string>{"earlier.csv", "reports"})) << c.name;
    }
}

// An output is replaced whole or left as it was: whichever step fails, the
// earlier file keeps its bytes, nothing is left beside it, the status is 1,
// and the message gives the system's code as the kind of code it is.
TEST_F(OutputsTest, AFailedOutputLeavesTheEarlierFileAndNothingElse)
{
#ifdef _WIN32
    const std::string accessDenied = " (Win32 error 5)";
    const std::string diskFull = " (Win32 error 112)";
#else
    const std::string accessDenied = " (errno 13: Permission denied)";
    const std::string diskFull = " (errno 28: No space left on device)";
#endif
    struct Case {
        bool Testing::FailingFileSystem::*failure;
        std::string message;
    };
    const Case cases[] = {
        {&Testing::FailingFileSystem::refuseCreate, ": cannot be written" + accessDenied + "\n"},
        {&Testing::FailingFileSystem::failWrite, ": could not be written" + diskFull + "\n"},
        {&Testing::FailingFileSystem::failFlush, ": could not be written" + diskFull + "\n"},
        {&Testing::FailingFileSystem::failRename, ": could not be written" + accessDenied + "\n"},
    };
    Write("reports/a.html", EmbeddedGoldenAllPass);
    for (const Case& c : cases) {
        Write("out.csv", "earlier csv");
        Write("overview.html", "earlier overview");
        files_.*c.failure = true;
        EXPECT_EQ(Run({"--csv", Path("out.csv"), "--html", Path("overview.html"), Path("reports")}), 1);
        files_.*c.failure = false;
        EXPECT_NE(err_.str().find(Path("out.csv") + c.message), std::string::npos) << c.message << err_.str();
        EXPECT_EQ(Read("out.csv"), "earlier csv");
        EXPECT_EQ(Read("overview.html"), "earlier overview");
        EXPECT_EQ(Names(""), (std::vector<std::string>{"out.csv", "overview.html", "reports"}));
    }
    EXPECT_EQ(Run({"--csv", Path("out.csv"), "--html", Path("overview.html"), Path("reports")}), 0) << err_.str();
    EXPECT_EQ(Names(""), (std::vector<std::string>{"out.csv", "overview.html", "reports"}));
    EXPECT_NE(Read("out.csv").find("SRV-Z\xC3\x9CRICH"), std::string::npos);
    for (const FilePath& created : files_.created) {
        const std::string name = PathToUtf8(created);
        EXPECT_TRUE(name.ends_with(".tmp") && !IsPageName(created)) << name;
    }
}

// Outputs another program holds open are waited for, ten seconds in all
// however many there are, and named for what they are.
TEST_F(OutputsTest, OutputsHeldOpenElsewhereAreWaitedForTenSecondsInAllAndSaySo)
{
    Write("reports/a.html", EmbeddedGoldenAllPass);
    Write("out.csv", "earlier csv");
    Write("overview.html", "earlier overview");
    files_.busyRenames = -1;
    EXPECT_EQ(Run({"--csv", Path("out.csv"), "--html", Path("overview.html"), Path("reports")}), 1);
    for (const char* output : {"out.csv", "overview.html"}) {
        EXPECT_NE(err_.str().find(Path(output) + ": is open in another program; close it and run again"),
                  std::string::npos)
            << err_.str();
    }
    EXPECT_EQ(services_.clock.Slept(), BusyOutputRetryMilliseconds);
    EXPECT_EQ(Read("out.csv"), "earlier csv");
    EXPECT_EQ(Names(""), (std::vector<std::string>{"out.csv", "overview.html", "reports"}));
}

} // namespace
} // namespace Talvane::Nimlo
