// What the administrator acts on: the overview's counts and bars, the
// --machines CSV and the list files, held against what the long CSV says of
// every report, row by row.
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "fakes/Profiles.h"
#include "fakes/RandomProfiles.h"
#include "fakes/SummaryFolder.h"
#include "fakes/Utf16Bytes.h"
#include "report/ReportBody.h"
#include "report/ReportTemplate.h"
#include "requirements/RoleLabels.h"
#include "summary/Fleet.h"
#include "summary/HostFiles.h"
#include "summary/Lists.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

constexpr const char* Denied = Testing::FailingFileSystem::PermissionDenied;

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
            const Role role =
                *std::ranges::find_if(AllRoles, [&](Role each) { return ToUtf8(RoleTitle(each)) == r.at(2); });
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
    for (const Role role : AllRoles) {
        const std::size_t meeting = 63 - (lists.contains(RoleListName(role)) ? lists.at(RoleListName(role)).size() : 0);
        EXPECT_NE(overview.find(": <b>" + std::to_string(meeting) + "</b> of 63 reports meet it"), std::string::npos)
            << ToUtf8(RoleTitle(role));
        EXPECT_GE(meeting, 3u) << "the ready machines meet every role";
    }

    const auto machines = ParseCsv(Read("machines.csv"));
    ASSERT_EQ(machines.size(), 64u);
    EXPECT_EQ(machines[0].size(), 2 + 2 * RoleCount + 1);
    EXPECT_EQ(machines[0].back(), "reason not assessed");
    for (std::size_t i = 1; i < machines.size(); ++i) {
        const std::string name(ReportName(machines[i][1]));
        for (const Role role : AllRoles) {
            const bool short_ = lists.contains(RoleListName(role)) && lists.at(RoleListName(role)).contains(name);
            EXPECT_EQ(machines[i][2 + 2 * RoleIndex(role)], short_ ? "does not meet" : "meets") << name;
        }
        EXPECT_EQ(machines[i].back(), "") << name << " was assessed";
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
    EXPECT_NE(machines.find("\r\nlost-01,,not assessed,,not assessed,,not assessed,,no record\r\n"), std::string::npos)
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

bool FoldedLess(const std::string& a, const std::string& b)
{
    const auto upper = [](std::string text) {
        for (char& c : text) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        return text;
    };
    return upper(a) < upper(b);
}

TEST_F(FleetOutputsTest, EveryHostNotAssessedIsShownWithItsReasonGroupedAndCounted)
{
    WriteFleet(2); // host-1000, host-1001, ready-0 to ready-2
    const std::vector<std::string> groups{"unreachable", "timed out", "assessment failed", "report not written",
                                          "failed",      "other",     "no record"};
    struct Note {
        std::string host;
        std::string bytes;
        std::size_t group; // in `groups`; none for a note beside a report
        std::string reason;
    };
    const std::string longDetail(1000, 'x');
    const std::vector<Note> notes{
        {"web-01", "unreachable: Connection refused\n", 0, "unreachable: Connection refused"},
        {"web-02", "timed out: after 300 s\n", 1, "timed out: after 300 s"},
        {"db-01", "assessment failed: exit status 1: no WMI\n", 2, "assessment failed: exit status 1: no WMI"},
        {"db-02", "report not written: exit status 255\n", 3, "report not written: exit status 255"},
        {"app-01", "failed: the fetch failed\n", 4, "failed: the fetch failed"},
        {"sub/app-02", Testing::Utf16WithBom(u"timed out: after 30 s\r\n"), 1, "timed out: after 30 s"},
        {"app-03", "rebooted: by its owner\n", 5, "other: rebooted: by its owner"},
        {"app-04", "", 5, "other"},
        {"app-05", "failed: " + longDetail, 4, "failed: " + longDetail.substr(0, 253) + "..."},
        {"huge", "", 5, "other: note not read: 65537 bytes, larger than any note (65536 bytes at most)"},
        {"locked", "failed: unread", 5, std::string("other: note not read: cannot be read (") + Denied + ")"},
        {"web[9]", "unreachable: a pattern\n", 0, "unreachable: a pattern"},
        {"stray-01", "unreachable: no route\n", 0, "unreachable: no route"},
        {"host-1000", "timed out: an earlier round's\n", groups.size(), ""},
    };
    std::string expect = "host-1000\nhost-1001\nready-0\nready-1\nready-2\nnever-01\nNEVER-02\n";
    for (const Note& note : notes) {
        Write("reports/" + note.host + ".not-assessed.txt", note.bytes);
        const std::string host(fs::path(note.host).filename().string());
        expect += host != "stray-01" ? host + "\n" : "";
    }
    fs::resize_file(root_ / "reports/huge.not-assessed.txt", MaxNoteBytes + 1);
    files_.unreadable.insert((root_ / "reports" / "locked.not-assessed.txt").lexically_normal());
    Write("hosts.txt", expect);

    // What every output should say, from the table alone.
    std::map<std::string, const Note*> notAssessed;
    std::vector<std::size_t> counts(groups.size(), 0);
    const Note never[] = {{"never-01", "", 6, "no record"}, {"NEVER-02", "", 6, "no record"}};
    for (const Note& note : notes) {
        if (note.group < groups.size()) {
            notAssessed[std::string(fs::path(note.host).filename().string())] = &note;
            ++counts[note.group];
        }
    }
    for (const Note& note : never) {
        notAssessed[note.host] = &note;
        ++counts[note.group];
    }
    std::string byGroup;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        byGroup += counts[g] == 0 ? "" : (byGroup.empty() ? "" : ", ") + std::to_string(counts[g]) + " " + groups[g];
    }

    EXPECT_EQ(Run({"--html", Path("overview.html"), "--machines", Path("machines.csv"), "--lists", Path("lists"),
                   "--expect", Path("hosts.txt"), Path("reports")}),
              2);
    const std::string messages = err_.str();
    for (const std::string& named :
         {Path("reports/huge.not-assessed.txt") + ": a note not read: 65537 bytes",
          Path("reports/locked.not-assessed.txt") + ": a note not read: cannot be read (" + Denied + ")",
          Path("reports/host-1000.not-assessed.txt") + ": a note for a host that has a report",
          std::string("web[9]: a name Ansible reads as a pattern"),
          "; " + std::to_string(notAssessed.size() - 1) + " of 19 hosts expected not assessed and 1 not expected (" +
              byGroup + "); 1 with both a report and a note\n"}) {
        EXPECT_NE(messages.find(named), std::string::npos) << named << "\nin:\n" << messages;
    }

    const std::string overview = Read("overview.html");
    std::size_t heading = 0;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const std::size_t at = overview.find("<h3>" + groups[g] + ": " + std::to_string(counts[g]) + "</h3>");
        ASSERT_NE(at, std::string::npos) << groups[g];
        EXPECT_GT(at, heading) << groups[g] << " in its place";
        heading = at;
    }
    std::string list;
    std::vector<std::string> names;
    for (const auto& [host, note] : notAssessed) {
        names.push_back(host);
        const std::size_t at = overview.find(note->group == 6 ? host + "<br>" : "<tr><td>" + host);
        ASSERT_NE(at, std::string::npos) << host;
        EXPECT_GT(at, overview.find("<h3>" + groups[note->group])) << host << " under its heading";
        EXPECT_LT(at, note->group == 6 ? overview.find("<h2>Reports") : overview.find("<h3>" + groups[note->group + 1]))
            << host << " under its heading";
    }
    EXPECT_NE(overview.find("<tr><td>stray-01<span class=\"unexpected\">not expected</span></td>"), std::string::npos);
    EXPECT_NE(overview.find("<span><a href=\"lists/not-assessed.txt\">" + std::to_string(notAssessed.size()) +
                            "</a> not assessed</span>"),
              std::string::npos);

    std::sort(names.begin(), names.end(), FoldedLess);
    for (const std::string& name : names) {
        list += name != "web[9]" ? name + "\n" : "";
    }
    EXPECT_EQ(Read("lists/not-assessed.txt"), list);

    std::map<std::string, std::string> reasons;
    for (const std::vector<std::string>& line : ParseCsv(Read("machines.csv"))) {
        if (line.at(1).empty()) {
            reasons[line.at(0)] = line.back();
        } else {
            EXPECT_EQ(line.back(), line.at(1) == "report file" ? "reason not assessed" : "") << line.at(1);
        }
    }
    EXPECT_EQ(reasons.size(), notAssessed.size());
    for (const auto& [host, note] : notAssessed) {
        EXPECT_EQ(reasons[host], note->reason) << host;
    }

    // Without hosts expected, the reports and the notes are the hosts known.
    EXPECT_EQ(Run({"--html", Path("overview.html"), Path("reports")}), 2);
    EXPECT_NE(err_.str().find("; " + std::to_string(notAssessed.size() - 2) + " of " +
                              std::to_string(5 + notAssessed.size() - 2) + " hosts known not assessed ("),
              std::string::npos)
        << err_.str();
    EXPECT_EQ(Read("overview.html").find("not expected</span>"), std::string::npos);

    // A round where no host was assessed is still summarized.
    EXPECT_EQ(Run({"--html", Path("only-notes.html"), Path("reports/sub")}), 2);
    EXPECT_NE(Read("only-notes.html").find("<h3>timed out: 1</h3>"), std::string::npos) << err_.str();
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

TEST_F(FleetOutputsTest, ANulInANameIsShownEscapedAndKeptOutOfTheLists)
{
    using namespace std::string_literals;
    std::string page(EmbeddedGoldenAllFail);
    const std::string name = "WS-\xC3\x85SA";
    ASSERT_EQ(page.find(name), page.rfind(name)) << "the computer name stands once in the page";
    page.replace(page.find(name), name.size(), "WS\0X"s);
    Write("reports/ws-x.html", page);
    Write("hosts.txt", "ws-x\nghost\0one\n"s);
    EXPECT_EQ(Run({"--csv", Path("long.csv"), "--html", Path("overview.html"), "--machines", Path("machines.csv"),
                   "--lists", Path("lists"), "--expect", Path("hosts.txt"), Path("reports")}),
              2);
    const std::string overview = Read("overview.html");
    EXPECT_NE(overview.find("<tr><td>WS\\x00X</td>"), std::string::npos);
    EXPECT_NE(overview.find("ghost\\x00one<br>"), std::string::npos);
    EXPECT_NE(Read("machines.csv").find("\r\nWS\\x00X," + Path("reports/ws-x.html") + ",does not meet,"),
              std::string::npos);
    EXPECT_NE(Read("machines.csv").find("\r\nghost\\x00one,,not assessed,"), std::string::npos);
    EXPECT_NE(Read("long.csv").find("\r\nWS\\x00X," + Path("reports/ws-x.html") + ",Client,"), std::string::npos);
    for (const char* output : {"overview.html", "machines.csv", "long.csv"}) {
        EXPECT_EQ(Read(output).find('\0'), std::string::npos) << output;
    }
    EXPECT_NE(err_.str().find("ghost\\x00one: a name that holds a NUL; left out of the lists\n"), std::string::npos)
        << err_.str();
    EXPECT_EQ(Read("lists/not-assessed.txt"), "");
    EXPECT_EQ(Read("lists/client.txt"), "ws-x\n");
}

} // namespace
} // namespace Talvane::Nimlo
