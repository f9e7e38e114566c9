#include "summary/CommandLine.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

TEST(CommandLineTest, OptionsAndPaths)
{
    const ParsedCommandLine parsed = ParseCommandLine({"--csv", "out.csv", "reports", "--html", "o.html", "b.html"});
    ASSERT_TRUE(parsed.options.has_value()) << parsed.error;
    EXPECT_EQ(parsed.options->csvFile, "out.csv");
    EXPECT_EQ(parsed.options->htmlFile, "o.html");
    EXPECT_EQ(parsed.options->paths, (std::vector<std::string>{"reports", "b.html"}));

    const ParsedCommandLine all =
        ParseCommandLine({"--machines", "m.csv", "--lists", "lists", "--expect", "hosts.txt", "r", "--", "--lists"});
    ASSERT_TRUE(all.options.has_value()) << all.error;
    EXPECT_EQ(all.options->machinesFile, "m.csv");
    EXPECT_EQ(all.options->listsFolder, "lists");
    EXPECT_EQ(all.options->expectFile, "hosts.txt");
    EXPECT_EQ(all.options->paths, (std::vector<std::string>{"r", "--lists"}));
    EXPECT_TRUE(all.options->WritesFiles());
    EXPECT_FALSE(ParseCommandLine({"--expect", "hosts.txt", "r"}).options->WritesFiles());

    const ParsedCommandLine dashes = ParseCommandLine({"--", "--csv"});
    ASSERT_TRUE(dashes.options.has_value());
    EXPECT_EQ(dashes.options->paths, (std::vector<std::string>{"--csv"}));
    EXPECT_FALSE(dashes.options->csvFile.has_value());
}

TEST(CommandLineTest, UsageErrors)
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
        {{"-x", "reports"}, "unknown option -x"},
        {{"--help"}, "unknown option --help"},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine parsed = ParseCommandLine(c.arguments);
        EXPECT_FALSE(parsed.options.has_value()) << c.error;
        EXPECT_EQ(parsed.error, c.error);
    }
}

} // namespace
} // namespace Talvane::Nimlo
