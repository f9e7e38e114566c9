#include "summary/RunSummary.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "fakes/Profiles.h"
#include "fakes/SummaryFolder.h"
#include "summary/OutputFile.h"
#include "summary/ReportFiles.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

namespace fs = std::filesystem;

using RunSummaryTest = Testing::SummaryFolderTest;

TEST_F(RunSummaryTest, CsvToStandardOutputWhenNoFileIsNamed)
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

TEST_F(RunSummaryTest, RejectedFilesAreNamedAndTheOthersStillSummarized)
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

TEST_F(RunSummaryTest, UsageAndOutputErrorsEndWithOne)
{
    Write("reports/a.html", EmbeddedGoldenAllPass);
    EXPECT_EQ(Run({}), 1);
    EXPECT_NE(err_.str().find("usage: SystemAssessmentSummary [--csv FILE] [--html FILE] [--machines FILE]"),
              std::string::npos);
    EXPECT_EQ(Run({"--csv", Path("no-such-folder/out.csv"), Path("reports")}), 1);
    EXPECT_NE(err_.str().find("cannot be written: the folder"), std::string::npos) << err_.str();
}

TEST_F(RunSummaryTest, AnOutputThatIsAReportIsRefusedBeforeAnythingIsWritten)
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

TEST_F(RunSummaryTest, OutputsThatCannotBeWrittenAreFoundBeforeAnyReportIsRead)
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
TEST_F(RunSummaryTest, AFailedOutputLeavesTheEarlierFileAndNothingElse)
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
        files_.writes.*c.failure = true;
        EXPECT_EQ(Run({"--csv", Path("out.csv"), "--html", Path("overview.html"), Path("reports")}), 1);
        files_.writes.*c.failure = false;
        EXPECT_NE(err_.str().find(Path("out.csv") + c.message), std::string::npos) << c.message << err_.str();
        EXPECT_EQ(Read("out.csv"), "earlier csv");
        EXPECT_EQ(Read("overview.html"), "earlier overview");
        EXPECT_EQ(Names(""), (std::vector<std::string>{"out.csv", "overview.html", "reports"}));
    }
    EXPECT_EQ(Run({"--csv", Path("out.csv"), "--html", Path("overview.html"), Path("reports")}), 0) << err_.str();
    EXPECT_EQ(Names(""), (std::vector<std::string>{"out.csv", "overview.html", "reports"}));
    EXPECT_NE(Read("out.csv").find("SRV-Z\xC3\x9CRICH"), std::string::npos);
    for (const std::u16string& created : files_.writes.created) {
        const std::string name = ToUtf8(created);
        EXPECT_TRUE(name.ends_with(".tmp") && !IsPageName(PathFromUtf8(name))) << name;
    }
}

// Outputs another program holds open are waited for, ten seconds in all
// however many there are, and named for what they are.
TEST_F(RunSummaryTest, OutputsHeldOpenElsewhereAreWaitedForTenSecondsInAllAndSaySo)
{
    Write("reports/a.html", EmbeddedGoldenAllPass);
    Write("out.csv", "earlier csv");
    Write("overview.html", "earlier overview");
    files_.writes.busyRenames = -1;
    EXPECT_EQ(Run({"--csv", Path("out.csv"), "--html", Path("overview.html"), Path("reports")}), 1);
    for (const char* output : {"out.csv", "overview.html"}) {
        EXPECT_NE(err_.str().find(Path(output) + ": is open in another program; close it and run again"),
                  std::string::npos)
            << err_.str();
    }
    EXPECT_EQ(files_.clock.Slept(), BusyOutputRetryMilliseconds);
    EXPECT_EQ(Read("out.csv"), "earlier csv");
    EXPECT_EQ(Names(""), (std::vector<std::string>{"out.csv", "overview.html", "reports"}));
}

TEST_F(RunSummaryTest, NoMachineIsLeftOutInSilence)
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
    EXPECT_NE(messages.find(Path("reports/locked") + ": cannot be searched (permission denied)"), std::string::npos)
        << messages;
    EXPECT_NE(messages.find(Path("reports/unreadable.html") + ": cannot be read (permission denied)"),
              std::string::npos);
    EXPECT_NE(messages.find(Path("reports/huge.html") + ": 67108865 bytes, larger than any report"), std::string::npos);
    EXPECT_NE(messages.find(Path("missing") + ": no such file or folder"), std::string::npos);
    EXPECT_NE(messages.find("2 reports read, 4 rejected, 2 machines;"), std::string::npos) << messages;
    const std::string csv = Read("out.csv");
    EXPECT_NE(csv.find(Path("reports/a.HTM")), std::string::npos);
    EXPECT_NE(csv.find(Path("reports/sub/b.htm")), std::string::npos);
}

TEST_F(RunSummaryTest, ARunThatFindsNoReportSaysSoAndWritesNothing)
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
