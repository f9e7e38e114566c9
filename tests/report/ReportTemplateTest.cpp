#include "report/ReportTemplate.h"

#include <gtest/gtest.h>

#include "fakes/Profiles.h"

namespace Talvane::Nimlo {
namespace {

std::size_t Count(const std::string& text, const std::string& piece)
{
    std::size_t count = 0;
    for (std::size_t pos = text.find(piece); pos != std::string::npos; pos = text.find(piece, pos + piece.size())) {
        ++count;
    }
    return count;
}

const std::string Template(EmbeddedReportTemplate);

TEST(ReportTemplateFileTest, BytesAndPlaceholders)
{
    // 2118 bytes as shipped before, plus the charset declaration line.
    EXPECT_EQ(Template.size(), 2146u);
    EXPECT_EQ(Template.rfind("<!DOCTYPE html>\r\n<html>\r\n<head>\r\n    <meta charset=\"utf-8\">\r\n    <title>", 0),
              0u);
    EXPECT_EQ(Template.substr(Template.size() - 9), "\r\n</html>");
    EXPECT_EQ(Count(Template, "\r\n"), 99u);
    EXPECT_EQ(Count(Template, "\n"), 99u);
    EXPECT_EQ(Template.find('\t'), std::string::npos);
    EXPECT_EQ(Template.find(" \r\n"), std::string::npos);
    for (const char c : Template) {
        EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
    }
    EXPECT_EQ(Count(Template, "{{OEM_PRODUCT_NAME}}"), 2u);
    EXPECT_EQ(Count(Template, "{{OEM_NAME}}"), 2u);
    EXPECT_EQ(Count(Template, "{{MAJOR_VERSION}}"), 2u);
    EXPECT_EQ(Count(Template, "{{COMPUTER_NAME}}"), 1u);
    EXPECT_EQ(Count(Template, "        {{REPORT_BODY}}\r\n"), 1u);
    EXPECT_EQ(Count(Template, "{{"), 8u);
}

TEST(ReplaceAllTest, ReplacesEveryOccurrence)
{
    EXPECT_EQ(ReplaceAll("a{{X}}b{{X}}", "{{X}}", "1"), "a1b1");
    EXPECT_EQ(ReplaceAll("{{X}}", "{{X}}", ""), "");
    EXPECT_EQ(ReplaceAll("{{X}}{{X}}", "{{X}}", "longer value"), "longer valuelonger value");
    EXPECT_EQ(ReplaceAll("none here", "{{X}}", "1"), "none here");
    EXPECT_EQ(ReplaceAll("{{x}} {{ X }}", "{{X}}", "1"), "{{x}} {{ X }}");
    EXPECT_EQ(ReplaceAll("", "{{X}}", "1"), "");
}

TEST(ReplaceAllTest, ValueHoldingItsOwnPlaceholderIsInsertedOnce)
{
    EXPECT_EQ(ReplaceAll("a{{X}}b{{X}}c", "{{X}}", "<{{X}}>"), "a<{{X}}>b<{{X}}>c");
    EXPECT_EQ(ReplaceAll("{{X}}", "{{X}}", "{{X}}{{X}}"), "{{X}}{{X}}");
}

TEST(ReplaceAllTest, ValuesThatKeepFormingPlaceholdersStillEnd)
{
    // Each replacement of "ab" by "baaa" forms a new "ab" with the "a" before
    // it; searching on from the start forever would never end.
    const std::string result = ReplaceAll("abbbbbb", "ab", "baaa");
    EXPECT_EQ(result.rfind('b', 0), 0u);
    EXPECT_LT(result.size(), 1000u);
}

TEST(FillReportTest, PutsEveryValueIn)
{
    const std::string page = FillReport(Template, "BODY", u"K\u00D6LN");
    EXPECT_NE(page.find("<title>System Assessment Results for Dravik&copy; 17 by Talvane</title>"), std::string::npos);
    EXPECT_NE(page.find("System Assessment for Dravik<sup>&copy;</sup> v17 by Talvane - K\xC3\x96LN</h2>"),
              std::string::npos);
    EXPECT_NE(page.find("\r\n        BODY\r\n"), std::string::npos);
    EXPECT_EQ(page.find("{{"), std::string::npos);
}

TEST(FillReportTest, CheckBoxesComeFromTheBody)
{
    const std::string page =
        FillReport("{{REPORT_BODY}}", "{{CHECKBOX_ON}}a\n{{CHECKBOX_OFF}}b\n{{CHECKBOX_ON}}c\n", u"");
    EXPECT_EQ(page, "<input type=checkbox disabled=disabled checked=checked>a\n"
                    "<input type=checkbox disabled=disabled>b\n"
                    "<input type=checkbox disabled=disabled checked=checked>c\n");
}

TEST(FillReportTest, ComputerNameCannotInjectABody)
{
    // The body is put in first, so a computer name that looks like a
    // placeholder is inserted as text; later passes still see its content.
    EXPECT_EQ(FillReport("{{COMPUTER_NAME}}|{{REPORT_BODY}}", "body", u"{{REPORT_BODY}}"), "{{REPORT_BODY}}|body");
    EXPECT_EQ(FillReport("{{COMPUTER_NAME}}", "", u"{{OEM_NAME}}"), "Talvane");
}

TEST(FillReportTest, BodyLinesKeepTheirLineFeeds)
{
    const std::string page = FillReport(Template, "<div>\n</div>\n", u"PC");
    EXPECT_NE(page.find("        <div>\n</div>\n\r\n    </div>"), std::string::npos);
}

} // namespace
} // namespace Talvane::Nimlo
