#include "summary/RunSummary.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "fakes/Profiles.h"
#include "summary/ReportFiles.h"

namespace Talvane::Nimlo {
namespace {

namespace fs = std::filesystem;

class RunSummaryTest : public testing::Test {
protected:
    void SetUp() override
    {
        root_ = fs::temp_directory_path() /
                ("nimlo-summary-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "reports" / "sub");
    }
    void TearDown() override { fs::remove_all(root_); }

    void Write(const fs::path& relative, std::string_view bytes) const
    {
        std::ofstream(root_ / relative, std::ios::binary) << bytes;
    }
    std::string Read(const fs::path& relative) const
    {
        std::ifstream in(root_ / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // As the summary names it: with the platform's separators.
    std::string Path(const fs::path& relative) const { return PathToUtf8((root_ / relative).make_preferred()); }

    int Run(const std::vector<std::string>& arguments)
    {
        out_.str("");
        err_.str("");
        return RunSummary(arguments, EmbeddedReportTemplate, out_, err_);
    }

    fs::path root_;
    std::ostringstream out_;
    std::ostringstream err_;
};

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
    EXPECT_NE(messages.find(Path("reports/other.html") + ": not a System Assessment report: line 1: "),
              std::string::npos);
    EXPECT_NE(messages.find(Path("missing") + ": no such file or folder"), std::string::npos);
    EXPECT_NE(messages.find("1 reports read, 3 rejected, 1 machines;"), std::string::npos) << messages;
    EXPECT_TRUE(out_.str().empty());
    EXPECT_NE(Read("out.csv").find("SRV-Z\xC3\x9CRICH"), std::string::npos);
    const std::string overview = Read("reports/overview.html");
    EXPECT_NE(overview.find("<a href=\"a.html\">"), std::string::npos) << "links are relative to the overview";
    EXPECT_FALSE(fs::exists(root_ / "out.csv.partial"));

    // The overview that is written into a searched folder is not read as a report the next time.
    EXPECT_EQ(Run({"--html", Path("reports/overview.html"), Path("reports/a.html"), Path("reports/overview.html")}), 0)
        << err_.str();
}

TEST_F(RunSummaryTest, UsageAndOutputErrorsEndWithOne)
{
    Write("reports/a.html", EmbeddedGoldenAllPass);
    EXPECT_EQ(Run({}), 1);
    EXPECT_NE(err_.str().find("usage: SystemAssessmentSummary [--csv FILE] [--html FILE] PATH..."), std::string::npos);
    EXPECT_EQ(Run({"--csv", Path("no-such-folder/out.csv"), Path("reports")}), 1);
    EXPECT_NE(err_.str().find("cannot write"), std::string::npos);
}

} // namespace
} // namespace Talvane::Nimlo
