#include "summary/Overview.h"

#include "report/ReportTemplate.h"
#include "requirements/RoleLabels.h"
#include "text/HtmlText.h"
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
.counts { padding: 10px; }
.counts span { margin-right: 2em; }
table { border-collapse: collapse; width: 100%; background: #d0d5d7; }
th { text-align: left; border-bottom: 2px solid black; padding: 5px; }
td { padding: 5px; border-bottom: 1px solid gray; vertical-align: top; }
.pass { color: green; font-weight: bold; }
.fail { color: red; font-weight: bold; }
.failed { color: black; font-weight: normal; margin: 2px 0 0 0; padding-left: 1.2em; }
.duplicate { background: #f5d76e; padding: 0 4px; margin-left: 6px; font-size: 0.85em; }
</style>
</head>
<body>
)";

std::string Text(const std::string& text)
{
    return EscapeHtml(text);
}

// The last part of a path, either separator.
std::string FileName(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string RenderOverview(const std::vector<MachineEntry>& machines, const FleetCounts& counts)
{
    std::string page = Head;
    page += "<h1>System Assessment Summary for " + Text(ToUtf8(OemProductName)) + " " + Text(ToUtf8(MajorVersion)) +
            " by " + Text(ToUtf8(OemName)) + "</h1>\n";
    page += "<div class=\"counts\"><span>" + std::to_string(counts.reportsRead) + " reports read</span><span>" +
            std::to_string(counts.reportsRejected) + " rejected</span><span>" + std::to_string(counts.machines) +
            " machines</span>";
    for (std::size_t i = 0; i < RoleCount; ++i) {
        page += "<span>" + Text(ToUtf8(RoleTitles[i])) + ": " + std::to_string(counts.meeting[i]) + " of " +
                std::to_string(counts.reportsRead) + " meet it</span>";
    }
    page += "</div>\n<table>\n<tr><th>Computer</th>";
    for (const char16_t* title : RoleTitles) {
        page += "<th>" + Text(ToUtf8(title)) + "</th>";
    }
    page += "<th>Report</th></tr>\n";
    for (const MachineEntry& machine : machines) {
        page += "<tr><td>" + Text(machine.computerName);
        if (machine.duplicate) {
            page += "<span class=\"duplicate\">duplicate</span>";
        }
        page += "</td>";
        for (const RoleOutcome& role : machine.roles) {
            if (role.meets) {
                page += "<td class=\"pass\">meets</td>";
                continue;
            }
            page += R"(<td class="fail">falls short<ul class="failed">)";
            for (const std::string& label : role.failedLabels) {
                page += "<li>" + Text(label) + "</li>";
            }
            page += "</ul></td>";
        }
        page += "<td><a href=\"" + Text(machine.href) + "\">" + Text(FileName(machine.reportFile)) + "</a></td></tr>\n";
    }
    page += "</table>\n</body>\n</html>\n";
    return page;
}

} // namespace Talvane::Nimlo
