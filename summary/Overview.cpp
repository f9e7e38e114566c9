#include "summary/Overview.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <sstream>

#include "report/ReportTemplate.h"
#include "requirements/RoleLabels.h"
#include "summary/HostFiles.h"
#include "summary/Lists.h"
#include "summary/Paths.h"
#include "text/HtmlText.h"
#include "text/ShownText.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

constexpr const char* Head = R"(<!DOCTYPE html>
<html>
<head>
<meta charset="utf-8">
<meta http-equiv="Content-Security-Policy" content="default-src 'none'; style-src 'unsafe-inline'">
<title>System Assessment Summary</title>
<style>
body { font-family: Calibri, sans-serif; margin: 0; background: #ecf0f1; }
h1 { font-size: 1.4em; font-weight: normal; margin: 0; padding: 10px; background: #95a5a6; }
h2 { font-size: 1.15em; font-weight: normal; margin: 18px 10px 6px 10px; }
.counts { padding: 10px; }
.counts span { margin-right: 2em; }
.roles { display: flex; flex-wrap: wrap; }
.role { margin: 0 10px 10px 10px; padding: 0 0 6px 0; background: #d0d5d7; width: 600px; }
.role h2 { margin: 0; padding: 8px 10px; background: #bdc3c7; }
.shortfalls { border-collapse: collapse; width: auto; background: none; }
.shortfalls td { border: none; padding: 3px 10px; }
.shortfalls .label { width: 230px; white-space: nowrap; }
.bar { width: 220px; }
.bar div { height: 14px; background: #c0392b; min-width: 1px; }
.count, .share { text-align: right; }
.machines { border-collapse: collapse; width: 100%; background: #d0d5d7; }
.machines th { text-align: left; border-bottom: 2px solid black; padding: 5px; }
.machines td { padding: 5px; border-bottom: 1px solid gray; vertical-align: top; }
.pass { color: green; font-weight: bold; }
.fail { color: red; font-weight: bold; }
.missing { color: #7f8c8d; font-weight: bold; }
.failed { color: black; font-weight: normal; margin: 2px 0 0 0; padding-left: 1.2em; }
.duplicate, .unexpected { background: #f5d76e; padding: 0 4px; margin-left: 6px; font-size: 0.85em; }
.more { padding: 10px; }
.hosts { columns: 16em; padding: 0 10px; }
h3 { font-size: 1em; margin: 12px 10px 4px 10px; }
.reasons { border-collapse: collapse; margin: 0 10px; }
.reasons td { padding: 2px 10px 2px 0; vertical-align: top; }
</style>
</head>
<body>
)";

std::string Text(std::string_view text)
{
    return EscapeHtml(text);
}

// "25.0 %": tenths, rounded.
std::string Share(std::size_t count, std::size_t of)
{
    const std::size_t tenths = of == 0 ? 0 : (count * 1000 + of / 2) / of;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

// The last part of a path, either separator.
std::string_view FileName(std::string_view path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The page, written out as it is made: only the last few kilobytes are in memory.
class OverviewPage {
public:
    OverviewPage(std::ostream& out, const FinishedFleet& fleet, const OverviewPlaces& places)
        : out_(out)
        , fleet_(fleet)
        , counts_(fleet.Counts())
        , places_(places)
    {}

    void Write() &&
    {
        page_ = Head;
        page_ += "<h1>System Assessment Summary for " + Text(ToUtf8(OemProductName)) + " " +
                 Text(ToUtf8(MajorVersion)) + " by " + Text(ToUtf8(OemName)) + "</h1>\n";
        Counts();
        page_ += "<div class=\"roles\">\n";
        for (const Role role : AllRoles) {
            RoleShortfalls(role);
        }
        page_ += "</div>\n";
        NotAssessed();
        ReportTable();
        page_ += "</body>\n</html>\n";
        out_.write(page_.data(), static_cast<std::streamsize>(page_.size()));
    }

private:
    // The bytes of the page so far.
    std::size_t Size() const { return written_ + page_.size(); }

    // Hands what is made to the output once it is a few kilobytes.
    void Spill()
    {
        if (page_.size() >= (1u << 16)) {
            out_.write(page_.data(), static_cast<std::streamsize>(page_.size()));
            written_ += page_.size();
            page_.clear();
        }
    }

    // A count, linked to its list file where there are lists.
    std::string Linked(std::size_t count, const std::string& listName) const
    {
        if (!places_.lists || count == 0) {
            return std::to_string(count);
        }
        return "<a href=\"" + Text(ListHref(places_.folder, *places_.lists, listName)) + "\">" + std::to_string(count) +
               "</a>";
    }

    void Counts()
    {
        page_ += "<div class=\"counts\"><span>" + std::to_string(counts_.reportsRead) + " reports read</span><span>" +
                 std::to_string(counts_.reportsRejected) + " rejected</span><span>" + std::to_string(counts_.machines) +
                 " machines</span>";
        if (fleet_.AccountsForHosts()) {
            page_ += "<span>" + HostsAccountedFor() + "</span><span>" +
                     Linked(counts_.notAssessed, std::string(NotAssessedListName)) + " not assessed</span>";
        }
        page_ += "</div>\n";
    }

    void RoleShortfalls(Role role)
    {
        const std::size_t read = counts_.reportsRead;
        page_ += "<div class=\"role\"><h2>" + Text(ToUtf8(RoleTitle(role))) + ": <b>" +
                 std::to_string(counts_.meeting[RoleIndex(role)]) + "</b> of " + std::to_string(read) +
                 " reports meet it";
        if (fleet_.AccountsForHosts()) {
            page_ += " (" + HostsAccountedFor() + ")";
        }
        page_ += "</h2>\n<table class=\"shortfalls\">\n";
        const std::size_t falling = read - counts_.meeting[RoleIndex(role)];
        Bar("falls short of any", falling, RoleListName(role));

        std::vector<std::size_t> requirements(RowLabels(role).size());
        std::iota(requirements.begin(), requirements.end(), FirstRequirement(role));
        std::stable_sort(requirements.begin(), requirements.end(), [this](std::size_t a, std::size_t b) {
            return counts_.fallingShort[a] > counts_.fallingShort[b];
        });
        for (const std::size_t requirement : requirements) {
            Bar(ToUtf8(RowLabels(role)[requirement - FirstRequirement(role)]), counts_.fallingShort[requirement],
                RequirementListName(requirement));
        }
        page_ += "</table></div>\n";
    }

    void Bar(const std::string& label, std::size_t count, const std::string& listName)
    {
        const std::string share = Share(count, counts_.reportsRead);
        page_ += R"(<tr><td class="label">)" + Text(label) + R"(</td><td class="bar"><div style="width:)" + share +
                 R"(%"></div></td><td class="count">)" + Linked(count, listName) + R"(</td><td class="share">)" +
                 share + " %</td></tr>\n";
    }

    // "14 hosts expected", or without a list of them "14 hosts known": the reports and the notes.
    std::string HostsAccountedFor() const
    {
        return fleet_.Expecting() ? std::to_string(counts_.expected) + " hosts expected"
                                  : std::to_string(counts_.known) + " hosts known";
    }

    // The hosts not assessed, by group in NoteKind's order, each under its
    // heading with its whole count; the hosts with their notes' details where
    // the list's bytes allow.
    void NotAssessed()
    {
        const std::vector<NotAssessedHost>& hosts = fleet_.NotAssessed();
        if (hosts.empty()) {
            return;
        }
        page_ += "<h2>Not assessed: " + Linked(hosts.size(), std::string(NotAssessedListName)) +
                 (counts_.notes == 0 ? " hosts expected have no report" : " hosts have no report") + "</h2>\n";
        const std::size_t start = Size();
        const std::string where = std::string(NotAssessedListName).append(" and the --machines CSV");
        for (std::size_t group = 0; group < NoteKindCount; ++group) {
            const std::size_t count = counts_.notAssessedBy[group];
            if (count == 0) {
                continue;
            }
            const auto kind = static_cast<NoteKind>(group);
            page_ += "<h3>" + std::string(NoteKindName(kind)) + ": " + std::to_string(count) + "</h3>\n";
            page_ += kind == NoteKind::NoRecord ? "<div class=\"hosts\">" : "<table class=\"reasons\">\n";
            std::size_t shown = 0;
            for (const NotAssessedHost& host : hosts) {
                if (host.kind != kind) {
                    continue;
                }
                if (Size() - start >= OverviewNotAssessedBytes) {
                    break;
                }
                std::string name = Text(NulEscaped(ValidUtf8(host.name.substr(0, KeptTextLimit))));
                if (host.unexpected) {
                    name += "<span class=\"unexpected\">not expected</span>";
                }
                page_ += kind == NoteKind::NoRecord
                             ? name + "<br>\n"
                             : "<tr><td>" + name + "</td><td>" + Text(host.detail) + "</td></tr>\n";
                ++shown;
                Spill();
            }
            page_ += kind == NoteKind::NoRecord ? "</div>\n" : "</table>\n";
            More(count - shown, "hosts", where.c_str());
        }
    }

    void ReportTable()
    {
        page_ += "<h2>Reports</h2>\n<table class=\"machines\">\n<tr><th>Computer</th>";
        for (const char16_t* title : RoleTitles) {
            page_ += "<th>" + Text(ToUtf8(title)) + "</th>";
        }
        page_ += "<th>Report</th></tr>\n";
        const std::size_t start = Size();
        std::size_t shown = 0;
        for (const ReportRecord& machine : fleet_.Reports()) {
            std::string row = Row(machine);
            if (Size() - start + row.size() > OverviewTableBytes) {
                break;
            }
            page_ += row;
            Spill();
            ++shown;
        }
        page_ += "</table>\n";
        More(fleet_.Reports().size() - shown, "reports", "the CSVs and the lists");
    }

    std::string Row(const ReportRecord& machine) const
    {
        std::string row = "<tr><td>" + Text(NulEscaped(fleet_.ComputerName(machine)));
        if (machine.duplicate) {
            row += "<span class=\"duplicate\">duplicate</span>";
        }
        if (machine.unexpected) {
            row += "<span class=\"unexpected\">not expected</span>";
        }
        row += "</td>";
        for (const Role role : AllRoles) {
            if (machine.failed.Meets(role)) {
                row += "<td class=\"pass\">meets</td>";
                continue;
            }
            row += R"(<td class="fail">falls short<ul class="failed">)";
            for (const std::size_t failed : machine.failed.Of(role)) {
                row += "<li>" + Text(ToUtf8(RowLabels(role)[failed])) + "</li>";
            }
            row += "</ul></td>";
        }
        const std::string file = fleet_.ReportFile(machine);
        row += "<td><a href=\"" + Text(RelativeHref(places_.folder, PathFromUtf8(file))) + "\">" +
               Text(FileName(file)) + "</a></td></tr>\n";
        return row;
    }

    void More(std::size_t hidden, const char* what, const char* where)
    {
        if (hidden > 0) {
            page_ += "<p class=\"more\">" + std::to_string(hidden) + " more " + what + " are not shown here; " + where +
                     " hold them all.</p>\n";
        }
    }

    std::ostream& out_;
    const FinishedFleet& fleet_;
    const FleetCounts& counts_;
    const OverviewPlaces& places_;
    std::string page_;
    std::size_t written_ = 0; // handed to out_ already
};

} // namespace

void WriteOverview(std::ostream& out, const FinishedFleet& fleet, const OverviewPlaces& places)
{
    OverviewPage(out, fleet, places).Write();
}

std::string RenderOverview(const FinishedFleet& fleet, const OverviewPlaces& places)
{
    std::ostringstream out;
    WriteOverview(out, fleet, places);
    return std::move(out).str();
}

} // namespace Talvane::Nimlo
