#include "summary/Fleet.h"

#include <algorithm>
#include <map>

#include <gtest/gtest.h>

#include "fakes/ReportContents.h"

namespace Talvane::Nimlo {
namespace {

using Testing::Machine;

// The computer names in the fleet's order, the duplicates marked.
std::vector<std::string> Order(const FinishedFleet& fleet)
{
    std::vector<std::string> order;
    for (const ReportRecord& machine : fleet.Reports()) {
        order.push_back(std::string(fleet.ComputerName(machine)) + (machine.duplicate ? " (duplicate)" : ""));
    }
    return order;
}

TEST(FleetTest, ABitPerRequirementAndTheVerdictsFromThem)
{
    Fleet reading;
    reading.Add(Machine("WS-1", false), "reports/WS-1.html");
    const FinishedFleet fleet = std::move(reading).Finish();
    const ReportRecord& machine = fleet.Reports().at(0);
    FailedRequirements failed;
    failed.Add(Role::Client, 1);
    failed.Add(Role::Client, 2);
    failed.Add(Role::AppServer64, 3);
    EXPECT_EQ(machine.failed, failed);
    EXPECT_FALSE(machine.failed.Meets(Role::Client));
    EXPECT_TRUE(machine.failed.Meets(Role::WebServer));
    EXPECT_FALSE(machine.failed.Meets(Role::AppServer64));
    EXPECT_EQ(fleet.ComputerName(machine), "WS-1");
    EXPECT_EQ(fleet.ReportFile(machine), "reports/WS-1.html");
}

TEST(FleetTest, WhatIsKeptDoesNotGrowWithThePage)
{
    static_assert(sizeof(ReportRecord) <= 40, "a report is kept in a few numbers");
    Fleet reading;
    reading.Add(Machine(std::string(300, 'N') + "\xC3\x9C", true), "1");
    reading.Add(Machine(std::string(300, 'N') + "X", true), "2");
    reading.Add(Machine(std::string(128, 'a') + std::string(200, '\xC3'), true), "3");
    const FinishedFleet fleet = std::move(reading).Finish();
    std::map<std::string, const ReportRecord*> byFile;
    for (const ReportRecord& machine : fleet.Reports()) {
        byFile[std::string(fleet.ReportFile(machine))] = &machine;
    }
    EXPECT_EQ(fleet.ComputerName(*byFile.at("1")).size(), 256u);
    EXPECT_TRUE(fleet.ComputerName(*byFile.at("1")).ends_with("NNN..."));
    // Names that agree in what is shown are still told apart by the whole name.
    EXPECT_FALSE(byFile.at("1")->duplicate);
    EXPECT_EQ(fleet.Counts().machines, 3u);
    // A cut never splits a UTF-8 sequence.
    EXPECT_LE(fleet.ComputerName(*byFile.at("3")).size(), 256u);
    EXPECT_TRUE(fleet.ComputerName(*byFile.at("3")).ends_with("\xC3..."));
}

TEST(FleetTest, ANulInANameIsOneCharacterLikeAnyOther)
{
    using namespace std::string_literals;
    Fleet reading;
    for (const std::string& name : {"WS-1"s, "WS\0B"s, "WS"s, "ws\0a"s, "WS\0B"s}) {
        reading.Add(Machine(name, true), name + ".html");
    }
    reading.Expect({"ghost\0one"s, "ghost"s});
    const FinishedFleet fleet = std::move(reading).Finish();
    EXPECT_EQ(Order(fleet),
              (std::vector<std::string>{"WS", "ws\0a"s, "WS\0B (duplicate)"s, "WS\0B (duplicate)"s, "WS-1"}));
    ASSERT_EQ(fleet.NotAssessed().size(), 2u);
    EXPECT_EQ(fleet.NotAssessed()[1].name, "ghost\0one"s);
}

TEST(FleetTest, SortedByNameWithoutCaseAndDuplicatesMarked)
{
    Fleet reading;
    for (const auto& [name, file] : std::vector<std::pair<std::string, std::string>>{{"web-02", "z.html"},
                                                                                     {"APP-01", "b.html"},
                                                                                     {"Web-02", "a.html"},
                                                                                     {"db-01", "c.html"},
                                                                                     {"WEB-02", "d.html"}}) {
        reading.Add(Machine(name, true), file);
    }
    const FinishedFleet fleet = std::move(reading).Finish();
    EXPECT_EQ(Order(fleet), (std::vector<std::string>{"APP-01", "db-01", "WEB-02 (duplicate)", "Web-02 (duplicate)",
                                                      "web-02 (duplicate)"}));
}

TEST(FleetTest, HostsExpectedAreMatchedWithoutCase)
{
    Fleet reading;
    reading.Expect({"web-01", "DB-01", "app-01", "App-01", "lost-01", "LOST-02"});
    reading.Add(Machine("WEB-01", true), "reports/WEB-01.html");
    reading.Add(Machine("db", true), "reports\\db-01.HTML");
    reading.Add(Machine("x", true), "reports/stray.html");
    const FinishedFleet fleet = std::move(reading).Finish();
    std::vector<std::string> notAssessed;
    for (const NotAssessedHost& host : fleet.NotAssessed()) {
        notAssessed.emplace_back(host.name);
    }
    EXPECT_EQ(notAssessed, (std::vector<std::string>{"app-01", "lost-01", "LOST-02"}));
    std::vector<std::string> unexpected;
    for (const ReportRecord& machine : fleet.Reports()) {
        if (machine.unexpected) {
            unexpected.emplace_back(fleet.ReportNameOf(machine));
        }
    }
    EXPECT_EQ(unexpected, (std::vector<std::string>{"stray"}));
    const FleetCounts& counts = fleet.Counts();
    EXPECT_EQ(counts.expected, 5u);
    EXPECT_EQ(counts.notAssessed, 3u);
    EXPECT_TRUE(ClosingLine(counts).ends_with("; 3 of 5 hosts expected not assessed"));
}

TEST(FleetTest, ReportFilesComeBackAsTheyWereFound)
{
    const std::vector<std::string> files{"reports/a.html", "reports/sub/b.html", "reports/c.html", "C:\\fleet\\d.htm",
                                         "e.html",         "reports/sub/f.html"};
    Fleet reading;
    for (const std::string& file : files) {
        reading.Add(Machine(std::string(ReportName(file)), true), file);
    }
    reading.AddNote({NoteKind::TimedOut, "after 300 s"}, "reports/sub/g.not-assessed.txt");
    const FinishedFleet fleet = std::move(reading).Finish();
    std::vector<std::string> kept;
    for (const ReportRecord& machine : fleet.Reports()) {
        kept.push_back(fleet.ReportFile(machine));
        EXPECT_EQ(fleet.ReportNameOf(machine), ReportName(kept.back()));
    }
    EXPECT_EQ(kept, files) << "in computer-name order, which is the files' order here";
    EXPECT_EQ(fleet.NoteFile(fleet.Notes().at(0)), "reports/sub/g.not-assessed.txt");
}

} // namespace
} // namespace Talvane::Nimlo
