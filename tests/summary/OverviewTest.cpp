#include "summary/Overview.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

ReportContent Content(const std::string& name, bool passes)
{
    ReportContent content{name, {}};
    for (const Role role : AllRoles) {
        ReportRole read{"", passes, {}};
        for (std::size_t row = 0; row < RowLabels(role).size(); ++row) {
            read.rows.push_back({"", passes || row == 0, {}, {}, {}});
        }
        content.roles.push_back(read);
    }
    return content;
}

std::size_t Count(const std::string& text, const std::string& piece)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
        ++count;
    }
    return count;
}

TEST(OverviewTest, MachineTextsAreEscapedAndNothingRunsOrIsFetched)
{
    Fleet reading;
    reading.Add(Content("<script>alert(1)</script>", false), "reports/\"><img src=x onerror=alert(2)>.html");
    reading.Add(Content("<script>alert(1)</script>", false), "reports/b\" onmouseover=\"alert(3).html");
    reading.Add(Content("WS-01", true), "reports/WS-01.html");
    reading.Expect({"<img src=x onerror=alert(4)>", "WS-01"});
    reading.AddRejected();
    const FinishedFleet fleet = std::move(reading).Finish();
    const std::string page = RenderOverview(fleet, {"reports/..", std::string("lists")});

    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("<img"), std::string::npos);
    EXPECT_EQ(page.find("\" onmouseover"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(page.find("&lt;img src=x onerror=alert(4)&gt;"), std::string::npos) << "a host not assessed";
    EXPECT_NE(page.find("default-src 'none'"), std::string::npos);
    EXPECT_EQ(page.find("http"), page.find("http-equiv")) << "nothing is fetched from the network";
    EXPECT_EQ(Count(page, "<span class=\"duplicate\">duplicate</span>"), 2u);
    EXPECT_EQ(Count(page, "<span class=\"unexpected\">not expected</span>"), 2u);
    EXPECT_NE(page.find("3 reports read"), std::string::npos);
    EXPECT_LT(page.find("&lt;script"), page.find(">WS-01<")) << "machines in the fleet's order";
}

TEST(OverviewTest, ShortfallsLargestFirstWithBarsAndLinksToTheirLists)
{
    Fleet reading;
    for (int i = 0; i < 3; ++i) {
        const std::string name = std::string("F").append(std::to_string(i));
        reading.Add(Content(name, false), name + ".html");
    }
    reading.Add(Content("P", true), "P.html");
    const FinishedFleet fleet = std::move(reading).Finish();
    const std::string page = RenderOverview(fleet, {".", std::string("lists")});
    // Every row but the first falls short on 3 of 4 reports; the first on none.
    EXPECT_NE(page.find("Client: <b>1</b> of 4 reports meet it"), std::string::npos);
    EXPECT_NE(page.find("<td class=\"label\">CPU</td><td class=\"bar\"><div style=\"width:75.0%\"></div></td>"
                        "<td class=\"count\"><a href=\"lists/client--cpu.txt\">3</a></td>"
                        "<td class=\"share\">75.0 %</td>"),
              std::string::npos);
    EXPECT_NE(page.find("<td class=\"label\">Operating System</td><td class=\"bar\"><div style=\"width:0.0%\"></div>"
                        "</td><td class=\"count\">0</td>"),
              std::string::npos)
        << "a count of none links nowhere";
    EXPECT_LT(page.find(">CPU<"), page.find(">Operating System<")) << "largest first";
    EXPECT_NE(page.find("<a href=\"lists/client.txt\">3</a>"), std::string::npos);

    const std::string unlinked = RenderOverview(fleet, {".", std::nullopt});
    EXPECT_EQ(unlinked.find("lists/"), std::string::npos) << "no lists, no links to them";
}

TEST(OverviewTest, APageOfAnyFleetStaysUnderFiveMegabytes)
{
    Fleet reading;
    const std::string longName(256, '"');
    const std::string longPath = std::string(3000, 'p') + "/" + std::string(200, '&') + ".html";
    for (int i = 0; i < 5000; ++i) {
        reading.Add(Content(longName + std::to_string(i), false), longPath + std::to_string(i));
    }
    std::vector<std::string> hosts;
    hosts.reserve(5000);
    for (int i = 0; i < 5000; ++i) {
        hosts.push_back(std::string(1000, '<') + std::to_string(i));
    }
    reading.Expect(hosts);
    const auto notes = static_cast<std::size_t>(NoteKind::NoRecord);
    for (std::size_t i = 0; i < notes * 1000; ++i) {
        reading.AddNote({static_cast<NoteKind>(i % notes), std::string(1000, '"')},
                        "notes/" + std::string(250, '&') + std::to_string(i) + ".not-assessed.txt");
    }
    const FinishedFleet fleet = std::move(reading).Finish();
    const std::string page = RenderOverview(fleet, {".", std::string("lists")});
    EXPECT_LT(page.size(), 5'000'000u);
    EXPECT_NE(page.find(" more reports are not shown here; the CSVs and the lists hold them all."), std::string::npos);
    // Every group keeps its whole count, and the list says how many more it holds.
    for (std::size_t kind = 0; kind < notes; ++kind) {
        EXPECT_NE(page.find("<h3>" + std::string(NoteKindNames[kind]) + ": 1000</h3>"), std::string::npos) << kind;
    }
    EXPECT_NE(page.find("<h3>no record: 5000</h3>"), std::string::npos);
    EXPECT_NE(page.find("<p class=\"more\">5000 more hosts are not shown here; not-assessed.txt and the --machines CSV "
                        "hold them all.</p>\n<h2>Reports</h2>"),
              std::string::npos);
    EXPECT_EQ(Count(page, "more hosts are not shown here"), NoteKindCount);
    std::string detail;
    for (int i = 0; i < 253; ++i) {
        detail += "&quot;";
    }
    EXPECT_NE(page.find("<td>" + detail + "...</td>"), std::string::npos) << "a detail is cut at 256 bytes";
    EXPECT_TRUE(page.ends_with("</body>\n</html>\n"));
}

} // namespace
} // namespace Talvane::Nimlo
