#include "requirements/RuntimeCheck.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

TEST(DotNetRuntimeCheckTest, ReleaseNumberAloneDecides)
{
    struct Case {
        DotNetInfo dotNet;
        bool passed;
    };
    for (const Case& c :
         {Case{{u"4.5.51209", 393294}, false}, Case{{u"4.6.00081", 393295}, true}, Case{{u"Not Installed", 0}, false},
          Case{{u"4.8", 4294967295u}, true}, Case{{u"Not Installed", 393295}, true}, Case{{u"", 461310}, true}}) {
        const RequirementResult row = CheckDotNetRuntime(c.dotNet);
        EXPECT_EQ(row.passed, c.passed) << c.dotNet.release;
        EXPECT_EQ(row.System(), u".Net " + c.dotNet.version);
        EXPECT_EQ(row.Message(),
                  c.passed ? u".Net 4.6+ runtime or higher is installed." : u".Net 4.6 runtime is not installed.");
        EXPECT_EQ(row.Hardware(), u".Net Runtime");
        EXPECT_EQ(row.Requirements(), u".Net 4.6.0+");
    }
}

struct BrowserCase {
    std::u16string version;
    std::uint64_t major;
    bool passed;
};

class BrowserCheckTest : public testing::TestWithParam<BrowserCase> {};

TEST_P(BrowserCheckTest, MajorVersionElevenOrLater)
{
    const BrowserCase& c = GetParam();
    EXPECT_EQ(BrowserMajorVersion(c.version), c.major);
    const RequirementResult row = CheckBrowser(c.version);
    EXPECT_EQ(row.passed, c.passed);
    EXPECT_EQ(row.System(), u"Microsoft Internet Explorer " + c.version);
    EXPECT_EQ(row.Message(), c.passed ? u"Microsoft Internet Explorer 11 or higher is installed."
                                      : u"Microsoft Internet Explorer 11 is not installed.");
    EXPECT_EQ(row.Hardware(), u"Browser");
    EXPECT_EQ(row.Requirements(), u"Microsoft Internet Explorer 11+");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrowserCheckTest,
    testing::Values(BrowserCase{u"11.0.9600.18817", 11, true}, BrowserCase{u"9.11.9600.18817", 9, false},
                    BrowserCase{u"10.0.9200.16384", 10, false}, BrowserCase{u"0", 0, false},
                    BrowserCase{u"0.Unknown", 0, false}, BrowserCase{u"12", 12, true}, BrowserCase{u"  11.0", 11, true},
                    BrowserCase{u"11abc.0", 11, true}, BrowserCase{u"-12", 18446744073709551604u, false},
                    // Texts that do not start with a number fail the row instead of ending the run.
                    BrowserCase{u"", 0, false}, BrowserCase{u".11", 0, false}, BrowserCase{u"abc", 0, false},
                    BrowserCase{u"99999999999999999999.0", 0, false},
                    BrowserCase{u"18446744073709551615", 18446744073709551615u, false},
                    BrowserCase{u"9223372036854775807", 9223372036854775807u, true}));

} // namespace
} // namespace Talvane::Nimlo
