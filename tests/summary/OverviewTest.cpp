#include "summary/Overview.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

TEST(OverviewTest, MachineTextsAreEscapedAndNothingRunsOrIsFetched)
{
    MachineEntry hostile;
    hostile.computerName = "<script>alert(1)</script>";
    hostile.reportFile = "reports/\"><img src=x onerror=alert(2)>.html";
    hostile.href = "reports/%22%3E.html\" onmouseover=\"alert(3)";
    hostile.roles[0].failedLabels = {"<img src=x onerror=alert(4)>"};
    hostile.duplicate = true;
    MachineEntry plain;
    plain.computerName = "WS-01";
    plain.roles = {RoleOutcome{true, {}}, RoleOutcome{true, {}}, RoleOutcome{true, {}}};
    const std::string page = RenderOverview({hostile, plain}, FleetCounts{2, 1, 2, {1, 1, 1}});

    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("<img"), std::string::npos);
    EXPECT_EQ(page.find("\" onmouseover"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(page.find("&lt;img src=x onerror=alert(4)&gt;"), std::string::npos);
    EXPECT_NE(page.find("default-src 'none'"), std::string::npos);
    EXPECT_EQ(page.find("http"), page.find("http-equiv")) << "nothing is fetched from the network";
    EXPECT_NE(page.find("<span class=\"duplicate\">duplicate</span>"), std::string::npos);
    EXPECT_NE(page.find("2 reports read"), std::string::npos);
    EXPECT_LT(page.find("&lt;script"), page.find("WS-01")) << "machines in the order given";
}

} // namespace
} // namespace Talvane::Nimlo
