#include "summary/FleetReading.h"

#include <gtest/gtest.h>

#include "fakes/SummaryFolder.h"

namespace Talvane::Nimlo {
namespace {

using FleetReadingTest = Testing::SummaryFolderTest;

TEST_F(FleetReadingTest, AnOutputThatIsAReportIsRefusedBeforeAnythingIsWritten)
{
    Write("reports/a.html", EmbeddedGoldenAllPass);
    Write("reports/sub/b.html", EmbeddedGoldenAllFail);
    for (const std::vector<std::string>& arguments : {
             std::vector<std::string>{"--csv", Path("reports/a.html"), Path("reports")},
             {"--html", Path("reports/sub/b.html"), Path("reports")},
             {"--csv", Path("reports/a.html"), Path("reports/a.html")},
         }) {
        EXPECT_EQ(Run(arguments), 1) << arguments[1];
        EXPECT_NE(err_.str().find("is a report to be read; it is not overwritten"), std::string::npos) << err_.str();
        EXPECT_EQ(Read("reports/a.html"), EmbeddedGoldenAllPass);
        EXPECT_EQ(Read("reports/sub/b.html"), EmbeddedGoldenAllFail);
        EXPECT_EQ(Names("reports"), (std::vector<std::string>{"a.html", "sub"}));
        EXPECT_EQ(Names("reports/sub"), (std::vector<std::string>{"b.html"}));
    }
}

TEST_F(FleetReadingTest, ProgressOnlyWhereSomebodyWatches)
{
    for (const char* name : {"a", "b", "c", "d", "e", "f"}) {
        Write(std::string("reports/") + name + ".html", EmbeddedGoldenAllPass);
    }
    EXPECT_EQ(Run({"--machines", Path("machines.csv"), Path("reports")}), 0);
    EXPECT_EQ(err_.str().find('\r'), std::string::npos);

    services_.terminal = true;
    EXPECT_EQ(Run({"--machines", Path("machines.csv"), Path("reports")}), 0);
    const std::string shown = err_.str();
    EXPECT_EQ(shown.rfind("\r1 reports read", 0), 0u) << shown;
    const std::size_t closing = shown.find("6 reports read, 0 rejected");
    ASSERT_NE(closing, std::string::npos) << shown;
    EXPECT_EQ(shown.substr(closing - 16, 16), std::string("\r").append(14, ' ').append("\r"))
        << "the line is cleared first";
}

} // namespace
} // namespace Talvane::Nimlo
