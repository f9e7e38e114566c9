#include "summary/Options.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

TEST(OptionsTest, OptionsAndPaths)
{
    const Result<SummaryOptions> parsed = ParseOptions({"--csv", "out.csv", "reports", "--html", "o.html", "b.html"});
    ASSERT_TRUE(parsed) << parsed.error();
    EXPECT_EQ(parsed->csvFile, "out.csv");
    EXPECT_EQ(parsed->htmlFile, "o.html");
    EXPECT_EQ(parsed->paths, (std::vector<std::string>{"reports", "b.html"}));

    const Result<SummaryOptions> all =
        ParseOptions({"--machines", "m.csv", "--lists", "lists", "--expect", "hosts.txt", "r", "--", "--lists"});
    ASSERT_TRUE(all) << all.error();
    EXPECT_EQ(all->machinesFile, "m.csv");
    EXPECT_EQ(all->listsFolder, "lists");
    EXPECT_EQ(all->expectFile, "hosts.txt");
    EXPECT_EQ(all->paths, (std::vector<std::string>{"r", "--lists"}));
    EXPECT_TRUE(all->WritesFiles());
    EXPECT_FALSE(ParseOptions({"--expect", "hosts.txt", "r"})->WritesFiles());

    EXPECT_EQ(parsed->jobs, DefaultJobs);
    for (const auto& [given, jobs] : {std::pair{"1", 1u}, {"64", 64u}, {"256", 256u}, {"007", 7u}}) {
        const Result<SummaryOptions> withJobs = ParseOptions({"--jobs", given, "r"});
        ASSERT_TRUE(withJobs) << given << ": " << withJobs.error();
        EXPECT_EQ(withJobs->jobs, jobs) << given;
    }

    const Result<SummaryOptions> dashes = ParseOptions({"--", "--csv"});
    ASSERT_TRUE(dashes);
    EXPECT_EQ(dashes->paths, (std::vector<std::string>{"--csv"}));
    EXPECT_FALSE(dashes->csvFile.has_value());
}

TEST(OptionsTest, UsageErrors)
{
    struct Case {
        std::vector<std::string> arguments;
        const char* error;
    };
    const Case cases[] = {
        {{}, "no report file or folder given"},
        {{"--csv", "a.csv"}, "no report file or folder given"},
        {{"reports", "--csv"}, "--csv needs a file name"},
        {{"--html", "", "reports"}, "--html needs a file name"},
        {{"reports", "--lists"}, "--lists needs a folder"},
        {{"--expect", "a", "--expect", "b", "r"}, "--expect is given twice"},
        {{"--csv", "a", "--csv", "b", "r"}, "--csv is given twice"},
        {{"--jobs", "0", "r"}, "--jobs needs a number from 1 to 256"},
        {{"--jobs", "257", "r"}, "--jobs needs a number from 1 to 256"},
        {{"--jobs", "99999999999999999999999", "r"}, "--jobs needs a number from 1 to 256"},
        {{"--jobs", "-4", "r"}, "--jobs needs a number from 1 to 256"},
        {{"--jobs", "", "r"}, "--jobs needs a number from 1 to 256"},
        {{"r", "--jobs"}, "--jobs needs a number from 1 to 256"},
        {{"--jobs", "2", "--jobs", "3", "r"}, "--jobs is given twice"},
        {{"-x", "reports"}, "unknown option -x"},
        {{"--help"}, "unknown option --help"},
    };
    for (const Case& c : cases) {
        const Result<SummaryOptions> parsed = ParseOptions(c.arguments);
        ASSERT_FALSE(parsed) << c.error;
        EXPECT_EQ(parsed.error(), c.error);
    }
}

} // namespace
} // namespace Talvane::Nimlo
