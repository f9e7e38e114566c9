// What the administrator acts on: the overview's counts and bars, the
// --machines CSV and the list files, held against what the long CSV says of
// every report, row by row.
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "fakes/Profiles.h"
#include "fakes/RandomProfiles.h"
#include "fakes/SummaryFolder.h"
#include "report/ReportBody.h"
#include "report/ReportTemplate.h"
#include "requirements/RoleLabels.h"
#include "summary/FleetSummary.h"
#include "summary/ListFiles.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

namespace fs = std::filesystem;

// RFC 4180 records: quoted fields may hold commas, quotes and line breaks.
std::vector<std::vector<std::string>> ParseCsv(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            record.push_back(std::move(field));
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            record.push_back(std::move(field));
            field.clear();
            records.push_back(std::move(record));
            record.clear();
            ++i;
        } else {
            field += c;
        }
    }
    return records;
}

std::string Lines(const std::set<std::string>& names)
{
    std::string lines;
    for (const std::string& name : names) {
        lines += name + "\n";
    }
    return lines;
}

class FleetOutputsTest : public Testing::SummaryFolderTest {
protected:
    void WritePage(const std::string& name, const SystemProfile& profile)
    {
        Write("reports/" + name + ".html",
              FillReport(std::string(EmbeddedReportTemplate), RenderReportBody(profile), profile.ComputerName()));
    }

    // A fleet of random machines, and a few that meet every role.
    void WriteFleet(int randomMachines)
    {
        Testing::RandomProfiles profiles(20261209);
        for (int i = 0; i < randomMachines; ++i) {
            WritePage("host-" + std::to_string(1000 + i), profiles.Next());
        }
        for (int i = 0; i < 3; ++i) {
            WritePage("ready-" + std::to_string(i), Testing::AllPassProfile());
        }
    }

    // Report names by list file, from the long CSV alone.
    std::map<std::string, std::set<std::string>> ListsFromTheLongCsv() const
    {
        std::map<std::string, std::set<std::string>> lists;
        const auto records = ParseCsv(Read("long.csv"));
        for (std::size_t i = 1; i < records.size(); ++i) {
            const std::vector<std::string>& r = records[i];
            const std::string name(ReportName(r.at(1)));
            std::size_t role = 0;
            while (ToUtf8(RoleTitles[role]) != r.at(2)) {
                ++role;
            }
            const auto labels = RowLabels(role);
            std::size_t row = 0;
            while (ToUtf8(labels[row]) != r.at(4)) {
                ++row;
            }
            if (r.at(5) == "FAIL") {
                lists[RoleListName(role)].insert(name);
                lists[RequirementListName(FirstRequirement(role) + row)].insert(name);
            }
        }
        return lists;
    }
};

TEST_F(FleetOutputsTest, CountsBarsAndListsAgreeWithEveryRowOfTheLongCsv)
{
    WriteFleet(60);
    ASSERT_EQ(Run({"--csv", Path("long.csv"), "--html", Path("overview.html"), "--machines", Path("machines.csv"),
                   "--lists", Path("lists"), Path("reports")}),
              0)
        << err_.str();
    const auto lists = ListsFromTheLongCsv();
    ASSERT_FALSE(lists.empty());
    const std::string overview = Read("overview.html");
    for (const std::string& name : AllListNames()) {
        const bool expected = lists.contains(name);
        const bool roleList = name.find("--") == std::string::npos && name != NotAssessedListName;
        EXPECT_EQ(fs::exists(root_ / "lists" / name), expected || roleList) << name;
        if (expected) {
            EXPECT_EQ(Read("lists/" + name), Lines(lists.at(name))) << name;
            EXPECT_NE(overview.find("<a href=\"lists/" + name + "\">" + std::to_string(lists.at(name).size()) + "</a>"),
                      std::string::npos)
                << name << " has no count linked to its list";
        }
    }
    for (std::size_t role = 0; role < RoleCount; ++role) {
        const std::size_t meeting = 63 - (lists.contains(RoleListName(role)) ? lists.at(RoleListName(role)).size() : 0);
        EXPECT_NE(overview.find(": <b>" + std::to_string(meeting) + "</b> of 63 reports meet it"), std::string::npos)
            << ToUtf8(RoleTitles[role]);
        EXPECT_GE(meeting, 3u) << "the ready machines meet every role";
    }

    const auto machines = ParseCsv(Read("machines.csv"));
    ASSERT_EQ(machines.size(), 64u);
    EXPECT_EQ(machines[0].size(), 2 + 2 * RoleCount);
    for (std::size_t i = 1; i < machines.size(); ++i) {
        const std::string name(ReportName(machines[i][1]));
        for (std::size_t role = 0; role < RoleCount; ++role) {
            const bool short_ = lists.contains(RoleListName(role)) && lists.at(RoleListName(role)).contains(name);
            EXPECT_EQ(machines[i][2 + 2 * role], short_ ? "does not meet" : "meets") << name;
        }
    }
    EXPECT_TRUE(out_.str().empty()) << "with outputs named, nothing goes to standard output";
}

TEST_F(FleetOutputsTest, HostsExpectedButNotAssessed)
{
    WriteFleet(2);
    // PowerShell 5.1 writes UTF-16 with a byte order mark; host names come in any case.
    std::string expect = "\xFF\xFE";
    for (const char c : std::string("HOST-1000\r\nhost-1001\r\nready-0\r\nlost-01\r\nLost-02\r\n")) {
        expect += c;
        expect += '\0';
    }
    Write("hosts.txt", expect);
    Write("reports/stray.html", std::string(EmbeddedGoldenAllPass));
    EXPECT_EQ(Run({"--html", Path("overview.html"), "--machines", Path("machines.csv"), "--lists", Path("lists"),
                   "--expect", Path("hosts.txt"), Path("reports")}),
              2);
    EXPECT_NE(err_.str().find("; 2 of 5 hosts expected not assessed"), std::string::npos) << err_.str();
    EXPECT_EQ(Read("lists/not-assessed.txt"), "lost-01\nLost-02\n");
    const std::string machines = Read("machines.csv");
    EXPECT_NE(machines.find("\r\nlost-01,,not assessed,,not assessed,,not assessed,\r\n"), std::string::npos)
        << machines;
    const std::string overview = Read("overview.html");
    EXPECT_NE(overview.find("5 hosts expected"), std::string::npos);
    EXPECT_NE(overview.find("<a href=\"lists/not-assessed.txt\">2</a>"), std::string::npos);
    // ready-1, ready-2 and stray were not expected.
    std::size_t unexpected = 0;
    for (std::size_t at = overview.find(">not expected<"); at != std::string::npos;
         at = overview.find(">not expected<", at + 1)) {
        ++unexpected;
    }
    EXPECT_EQ(unexpected, 3u);
}

TEST_F(FleetOutputsTest, ListsKeepNoEarlierRoundAndNoPattern)
{
    WritePage("web[01]", Testing::AllFailProfile());
    WritePage("web-02", Testing::AllFailProfile());
    WritePage("web-03", Testing::AllPassProfile());
    fs::create_directories(root_ / "lists");
    Write("lists/client--cpu.txt", "old-host\n");
    Write("lists/not-assessed.txt", "old-host\n");
    Write("lists/notes.md", "mine");
    EXPECT_EQ(Run({"--lists", Path("lists"), Path("reports")}), 0) << err_.str();
    EXPECT_NE(err_.str().find("web[01]: a name Ansible reads as a pattern; left out of the lists"), std::string::npos)
        << err_.str();
    EXPECT_EQ(Read("lists/client--cpu.txt"), "web-02\n");
    EXPECT_EQ(Read("lists/client.txt"), "web-02\n");
    EXPECT_FALSE(fs::exists(root_ / "lists/not-assessed.txt")) << "no hosts expected this round";
    EXPECT_EQ(Read("lists/notes.md"), "mine");
    EXPECT_TRUE(out_.str().empty());

    // A round where every report meets every role: no requirement list is left.
    fs::remove(root_ / "reports/web[01].html");
    fs::remove(root_ / "reports/web-02.html");
    EXPECT_EQ(Run({"--lists", Path("lists"), Path("reports")}), 0) << err_.str();
    EXPECT_EQ(Names("lists"), (std::vector<std::string>{"64-bit-application-server.txt", "client.txt", "notes.md",
                                                        "web-server-or-32-bit-application-server.txt"}));
    EXPECT_EQ(Read("lists/client.txt"), "");
}

TEST_F(FleetOutputsTest, ProgressOnlyWhereSomebodyWatches)
{
    WriteFleet(3);
    EXPECT_EQ(Run({"--machines", Path("machines.csv"), Path("reports")}), 0);
    EXPECT_EQ(err_.str().find('\r'), std::string::npos);

    files_.terminal = true;
    EXPECT_EQ(Run({"--machines", Path("machines.csv"), Path("reports")}), 0);
    const std::string shown = err_.str();
    EXPECT_EQ(shown.rfind("\r1 reports read", 0), 0u) << shown;
    const std::size_t closing = shown.find("6 reports read, 0 rejected");
    ASSERT_NE(closing, std::string::npos) << shown;
    EXPECT_EQ(shown.substr(closing - 16, 16), "\r" + std::string(14, ' ') + "\r") << "the line is cleared first";
}

} // namespace
} // namespace Talvane::Nimlo
