#include "report/RoleSection.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

const std::string Opening = "<div class='container'>\n";
const std::string TableStart =
    "<div class='result-table'><table>\n"
    "<tr class=header-border><th class=text>Hardware</th><th class=text>Requirements</th><th class=text>Status</th>"
    "<th class=text>System</th><th class=text>Message</th></tr>\n";
const std::string Closing = "</table></div></div>\n";

std::string Heading(const std::string& title, bool passed)
{
    return "<h2 class='header-text table-header'>" + title + ": <span class='" + (passed ? "pass" : "fail") + "'>" +
           (passed ? "This system meets the requirements." : "This system does not meet the requirements.") +
           "</span></h2>\n";
}

TEST(RoleSectionTest, RoleWithoutRows)
{
    EXPECT_EQ(RenderRole({u"Client", {}}), Opening + Heading("Client", true) + TableStart + Closing);
}

TEST(RoleSectionTest, OneRowIsTheLastRow)
{
    const RoleAssessment role(u"R\u00E9le", {{u"CPU\u00AE", true, u"req", u"sys~", u"msg"}});
    EXPECT_EQ(RenderRole(role), Opening + Heading("R\xC3\xA9le", true) + TableStart +
                                    "<tr class=''>\n"
                                    "<td class='text' width='150px'>CPU\xC2\xAE</td>\n"
                                    "<td class='text' width='400px'>req</td>\n"
                                    "<td class='text pass' width='100px'>PASS</td>\n"
                                    "<td class='text row-header' width='150px'><div class=list-div>sys</div>\n"
                                    "</td>\n"
                                    "<td class='text'>msg</td>\n"
                                    "</tr>\n" +
                                    Closing);
}

TEST(RoleSectionTest, PassingThenFailingRow)
{
    const RoleAssessment role(u"Client", {{u"A", true, u"r1", u"s1", u"m1"}, {u"B~", false, u"<&'\">", u"", u""}});
    EXPECT_EQ(RenderRole(role), Opening + Heading("Client", false) + TableStart +
                                    "<tr class='bottom-border'>\n"
                                    "<td class='text' width='150px'>A</td>\n"
                                    "<td class='text' width='400px'>r1</td>\n"
                                    "<td class='text pass' width='100px'>PASS</td>\n"
                                    "<td class='text row-header' width='150px'>s1</td>\n"
                                    "<td class='text'>m1</td>\n"
                                    "</tr>\n"
                                    "<tr class=''>\n"
                                    "<td class='text' width='150px'>B~</td>\n"
                                    "<td class='text' width='400px'><&'\"></td>\n"
                                    "<td class='text fail' width='100px'>FAIL</td>\n"
                                    "<td class='text row-header' width='150px'></td>\n"
                                    "<td class='text'></td>\n"
                                    "</tr>\n" +
                                    Closing);
}

TEST(RoleSectionTest, AnySingleFailingRowFailsTheRole)
{
    for (std::size_t failing = 0; failing < 3; ++failing) {
        std::vector<RequirementResult> rows;
        for (std::size_t i = 0; i < 3; ++i) {
            rows.emplace_back(u"H", i != failing, u"", u"", u"");
        }
        const std::string html = RenderRole({u"T", rows});
        EXPECT_NE(html.find(Heading("T", false)), std::string::npos) << failing;
    }
}

TEST(RoleSectionTest, EveryLineEndsWithALineFeedAndNoCarriageReturn)
{
    const RoleAssessment role(u"T", {{u"H", true, u"a~b~", u"c", u"d~"}});
    const std::string html = RenderRole(role);
    EXPECT_EQ(html.back(), '\n');
    EXPECT_EQ(html.find('\r'), std::string::npos);
    EXPECT_EQ(html.rfind(Opening, 0), 0u);
}

} // namespace
} // namespace Talvane::Nimlo
