#include "summary/FleetSummary.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

ReportContent Machine(const std::string& name, bool clientMeets)
{
    ReportRow cpu{"CPU", clientMeets, {}, {}, {}};
    ReportRow memory{"Memory & swap", clientMeets, {}, {}, {}};
    return {name,
            {{"Client", clientMeets, {cpu, memory}},
             {"Web Server or 32-bit Application Server", true, {}},
             {"64-bit Application Server", false, {{"Disk", false, {}, {}, {}}}}}};
}

TEST(FleetSummaryTest, FailedLabelsAreKept)
{
    const MachineEntry entry = SummarizeReport(Machine("WS-1", false), "a.html", "a.html");
    EXPECT_EQ(entry.computerName, "WS-1");
    EXPECT_FALSE(entry.roles[0].meets);
    EXPECT_EQ(entry.roles[0].failedLabels, (std::vector<std::string>{"CPU", "Memory & swap"}));
    EXPECT_TRUE(entry.roles[1].meets);
    EXPECT_TRUE(entry.roles[1].failedLabels.empty());
    EXPECT_EQ(entry.roles[2].failedLabels, (std::vector<std::string>{"Disk"}));
}

TEST(FleetSummaryTest, WhatIsKeptDoesNotGrowWithThePage)
{
    const std::string longName = std::string(300, 'N') + "\xC3\x9C";
    const MachineEntry first = SummarizeReport(Machine(longName, true), "1", "1");
    EXPECT_EQ(first.computerName.size(), 256u);
    EXPECT_TRUE(first.computerName.ends_with("NNN..."));
    // Names that agree in what is shown are still told apart by the whole name.
    std::vector<MachineEntry> machines{first, SummarizeReport(Machine(std::string(300, 'N') + "X", true), "2", "2")};
    SortAndMarkDuplicates(machines);
    EXPECT_FALSE(machines[0].duplicate);
    EXPECT_EQ(CountFleet(machines, 0).machines, 2u);
    // A cut never splits a UTF-8 sequence.
    const MachineEntry wide =
        SummarizeReport(Machine(std::string(128, 'a') + std::string(200, '\xC3'), true), "3", "3");
    EXPECT_LE(wide.computerName.size(), 256u);
}

TEST(FleetSummaryTest, SortedByNameWithoutCaseAndDuplicatesMarked)
{
    std::vector<MachineEntry> machines;
    for (const auto& [name, file] : std::vector<std::pair<std::string, std::string>>{{"web-02", "z.html"},
                                                                                     {"APP-01", "b.html"},
                                                                                     {"Web-02", "a.html"},
                                                                                     {"db-01", "c.html"},
                                                                                     {"WEB-02", "d.html"}}) {
        machines.push_back(SummarizeReport(Machine(name, true), file, file));
    }
    SortAndMarkDuplicates(machines);
    std::vector<std::string> order;
    order.reserve(machines.size());
    for (const MachineEntry& machine : machines) {
        order.push_back(machine.computerName + (machine.duplicate ? " (duplicate)" : ""));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"APP-01", "db-01", "WEB-02 (duplicate)", "Web-02 (duplicate)",
                                               "web-02 (duplicate)"}));
}

TEST(FleetSummaryTest, CountsAndClosingLine)
{
    std::vector<MachineEntry> machines{SummarizeReport(Machine("A", true), "1", "1"),
                                       SummarizeReport(Machine("B", false), "2", "2"),
                                       SummarizeReport(Machine("a", true), "3", "3")};
    const FleetCounts counts = CountFleet(machines, 2);
    EXPECT_EQ(counts.reportsRead, 3u);
    EXPECT_EQ(counts.machines, 2u);
    EXPECT_EQ(counts.meeting, (std::array<std::size_t, 3>{2, 3, 0}));
    EXPECT_EQ(ClosingLine(counts), "3 reports read, 2 rejected, 2 machines; Client: 2 of 3 meet it, "
                                   "Web Server or 32-bit Application Server: 3 of 3 meet it, "
                                   "64-bit Application Server: 0 of 3 meet it");
}

} // namespace
} // namespace Talvane::Nimlo
