#include "report/RoleSection.h"

#include <algorithm>

#include "report/CellFormat.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {

std::string RenderRole(const RoleAssessment& role)
{
    const std::vector<RequirementResult> rows = role.Results();
    const bool allPassed =
        std::all_of(rows.begin(), rows.end(), [](const RequirementResult& row) { return row.passed; });
    const char* verdictClass = allPassed ? "pass" : "fail";
    const char* verdict =
        allPassed ? "This system meets the requirements." : "This system does not meet the requirements.";

    std::string html;
    html += "<div class='container'>\n";
    html += "<h2 class='header-text table-header'>" + ToUtf8(role.Title()) + ": <span class='" + verdictClass + "'>" +
            verdict + "</span></h2>\n";
    html += "<div class='result-table'><table>\n";
    html += "<tr class=header-border><th class=text>Hardware</th><th class=text>Requirements</th>"
            "<th class=text>Status</th><th class=text>System</th><th class=text>Message</th></tr>\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const RequirementResult& row = rows[i];
        const bool last = i + 1 == rows.size();
        html += std::string("<tr class='") + (last ? "" : "bottom-border") + "'>\n";
        html += "<td class='text' width='150px'>" + ToUtf8(row.Hardware()) + "</td>\n";
        html += "<td class='text' width='400px'>" + FormatCell(row.Requirements()) + "</td>\n";
        html += std::string("<td class='text ") + (row.passed ? "pass" : "fail") + "' width='100px'>" +
                (row.passed ? "PASS" : "FAIL") + "</td>\n";
        html += "<td class='text row-header' width='150px'>" + FormatCell(row.System()) + "</td>\n";
        html += "<td class='text'>" + FormatCell(row.Message()) + "</td>\n";
        html += "</tr>\n";
    }
    html += "</table></div></div>\n";
    return html;
}

} // namespace Talvane::Nimlo
