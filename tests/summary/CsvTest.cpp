#include "summary/Csv.h"

#include <sstream>

#include <gtest/gtest.h>

#include "fakes/Profiles.h"

namespace Talvane::Nimlo {
namespace {

std::size_t Count(const std::string& text, const std::string& piece)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size())) {
        ++count;
    }
    return count;
}

TEST(CsvTest, FieldsAreQuotedWhereTheyMustBeAndFormulasDisarmed)
{
    struct Case {
        const char* text;
        const char* field;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {R"(say "hi")", R"("say ""hi""")"},
        {"two\nlines", "\"two\nlines\""},
        {"cr\r", "\"cr\r\""},
        {"=HYPERLINK(\"http://x\")", "\"'=HYPERLINK(\"\"http://x\"\")\""},
        {"+1", "'+1"},
        {"-1", "'-1"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\tx", "'\tx"},
        {"1-2", "1-2"},
        {"Z\xC3\x9C", "Z\xC3\x9C"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CsvField(c.text), c.field) << c.text;
    }
}

TEST(CsvTest, StartsWithTheByteOrderMarkAndTheHeader)
{
    EXPECT_EQ(CsvStart(), "\xEF\xBB\xBF"
                          "computer,report file,role,role verdict,requirement,status,requirements,system,message\r\n");
}

TEST(CsvTest, OneLinePerRoleAndRequirementWithItemsOnLinesOfTheirOwn)
{
    ReportRow runtimes{"Required C++ Runtimes *",
                       false,
                       {{"Microsoft Visual C++ 2008 Redistributable x86", std::nullopt}},
                       {{"Microsoft Visual C++ 2008 Redistributable x86", true},
                        {"Microsoft Visual C++ 2010 Redistributable x86", false}},
                       {{"The following runtimes were not found on this system:", std::nullopt},
                        {"Microsoft Visual C++ 2010 Redistributable x86", std::nullopt}}};
    ReportRow browser{"Browser",
                      true,
                      {{"Internet Explorer\xE2\x84\xA2 11", std::nullopt}},
                      {{"11.0", std::nullopt}},
                      {{"two\r\nlines", std::nullopt}}};
    const ReportContent content{"HOST&CO", {{"Client", false, {runtimes, browser}}, {"Web", true, {}}}};

    std::ostringstream out;
    WriteCsvLines(out, content, "reports/host.html");
    const std::string lines = out.str();
    EXPECT_EQ(Count(lines, "\r\n"), 2u) << lines;
    EXPECT_EQ(
        lines,
        "HOST&CO,reports/host.html,Client,does not meet,Required C++ Runtimes *,FAIL,"
        "Microsoft Visual C++ 2008 Redistributable x86,"
        "\"[x] Microsoft Visual C++ 2008 Redistributable x86\n[ ] Microsoft Visual C++ 2010 Redistributable x86\","
        "\"The following runtimes were not found on this system:\nMicrosoft Visual C++ 2010 Redistributable x86\""
        "\r\n"
        "HOST&CO,reports/host.html,Client,does not meet,Browser,PASS,Internet Explorer\xE2\x84\xA2 11,11.0,"
        "two  lines\r\n");
}

} // namespace
} // namespace Talvane::Nimlo
