#include "summary/Run.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "fakes/Profiles.h"
#include "fakes/SummaryFolder.h"
#include "summary/HostFiles.h"
#include "summary/Outputs.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

constexpr const char* Denied = Testing::FailingFileSystem::PermissionDenied;

namespace fs = std::filesystem;

using RunTest = Testing::SummaryFolderTest;

TEST_F(RunTest, CsvToStandardOutputWhenNoFileIsNamed)
{
    Write("reports/a.html", EmbeddedGoldenAllPass);
    Write("reports/sub/b.HTML", EmbeddedGoldenAllFail);
    Write("reports/notes.txt", "not a report and not searched");
    EXPECT_EQ(Run({Path("reports")}), 0) << err_.str();
    const std::string csv = out_.str();
    EXPECT_EQ(csv.rfind("\xEF\xBB\xBF"
                        "computer,",
                        0),
              0u);
    EXPECT_NE(csv.find("SRV-Z\xC3\x9CRICH," + Path("reports/a.html")), std::string::npos);
    EXPECT_NE(csv.find("WS-\xC3\x85SA," + Path("reports/sub/b.HTML")), std::string::npos);
    EXPECT_LT(csv.find(Path("reports/a.html")), csv.find(Path("reports/sub/b.HTML")));
    EXPECT_EQ(err_.str(), "2 reports read, 0 rejected, 2 machines; Client: 1 of 2 meet it, Web Server or 32-bit "
                          "Application Server: 1 of 2 meet it, 64-bit Application Server: 1 of 2 meet it\n");
}

TEST_F(RunTest, RejectedFilesAreNamedAndTheOthersStillSummarized)
{
    Write("reports/a.html", EmbeddedGoldenAllPass);
    Write("reports/cut.html", std::string_view(EmbeddedGoldenAllFail).substr(0, 4000));
    Write("reports/other.html", "<html><body>Hello</body></html>");
    EXPECT_EQ(
        Run({"--csv", Path("out.csv"), "--html", Path("reports/overview.html"), Path("reports"), Path("missing")}), 2);
    const std::string messages = err_.str();
    EXPECT_NE(messages.find(Path("reports/cut.html") + ": not a System Assessment report: line "), std::string::npos);
    EXPECT_NE(messages.find(Path("reports/other.html") + ": not a System Assessment report: line 1, column 2: "),
              std::string::npos);
    EXPECT_NE(messages.find(Path("missing") + ": no such file or folder"), std::string::npos);
    EXPECT_NE(messages.find("1 reports read, 3 rejected, 1 machines;"), std::string::npos) << messages;
    EXPECT_TRUE(out_.str().empty());
    EXPECT_NE(Read("out.csv").find("SRV-Z\xC3\x9CRICH"), std::string::npos);
    const std::string overview = Read("reports/overview.html");
    EXPECT_NE(overview.find("<a href=\"a.html\">"), std::string::npos) << "links are relative to the overview";
    EXPECT_EQ(Names(""), (std::vector<std::string>{"out.csv", "reports"})) << "nothing is left beside the outputs";

    // The overview that is written into a searched folder is not read as a report the next time.
    EXPECT_EQ(Run({"--html", Path("reports/overview.html"), Path("reports/a.html"), Path("reports/overview.html")}), 0)
        << err_.str();
}

TEST_F(RunTest, UsageAndOutputErrorsEndWithOne)
{
    Write("reports/a.html", EmbeddedGoldenAllPass);
    EXPECT_EQ(Run({}), 1);
    EXPECT_NE(err_.str().find("usage: SystemAssessmentSummary [--csv FILE] [--html FILE] [--machines FILE]"),
              std::string::npos);
    EXPECT_EQ(Run({"--csv", Path("no-such-folder/out.csv"), Path("reports")}), 1);
    EXPECT_NE(err_.str().find("cannot be written: the folder"), std::string::npos) << err_.str();
}

TEST_F(RunTest, NoMachineIsLeftOutInSilence)
{
    Write("reports/a.HTM", EmbeddedGoldenAllPass);
    Write("reports/sub/b.htm", EmbeddedGoldenAllFail);
    fs::create_directories(root_ / "reports" / "locked");
    Write("reports/locked/c.html", EmbeddedGoldenEmpty);
    Write("reports/unreadable.html", EmbeddedGoldenEmpty);
    files_.unlistable.insert((root_ / "reports" / "locked").lexically_normal());
    files_.unreadable.insert((root_ / "reports" / "unreadable.html").lexically_normal());
    Write("reports/huge.html", "");
    fs::resize_file(root_ / "reports" / "huge.html", MaxReportBytes + 1); // sparse: nothing to read in the test

    EXPECT_EQ(Run({"--csv", Path("out.csv"), Path("reports"), Path("missing")}), 2);
    const std::string messages = err_.str();
    EXPECT_NE(messages.find(Path("reports/locked") + ": cannot be searched (" + Denied + ")"), std::string::npos)
        << messages;
    EXPECT_NE(messages.find(Path("reports/unreadable.html") + ": cannot be read (" + Denied + ")"), std::string::npos);
    EXPECT_NE(messages.find(Path("reports/huge.html") + ": 67108865 bytes, larger than any report"), std::string::npos);
    EXPECT_NE(messages.find(Path("missing") + ": no such file or folder"), std::string::npos);
    EXPECT_NE(messages.find("2 reports read, 4 rejected, 2 machines;"), std::string::npos) << messages;
    const std::string csv = Read("out.csv");
    EXPECT_NE(csv.find(Path("reports/a.HTM")), std::string::npos);
    EXPECT_NE(csv.find(Path("reports/sub/b.htm")), std::string::npos);
}

TEST_F(RunTest, ARunThatFindsNoReportSaysSoAndWritesNothing)
{
    Write("reports/notes.txt", "no page here");
    Write("reports/other.html", "<html><body>Hello</body></html>");
    for (const std::string& path : {Path("reports/sub"), Path("reports"), Path("mistyped")}) {
        EXPECT_EQ(Run({"--csv", Path("out.csv"), "--html", Path("overview.html"), path}), 2) << path;
        EXPECT_NE(err_.str().find("no report could be read from the paths given; nothing written"), std::string::npos)
            << err_.str();
        EXPECT_EQ(Names(""), (std::vector<std::string>{"reports"})) << path;
    }
}

} // namespace
} // namespace Talvane::Nimlo
