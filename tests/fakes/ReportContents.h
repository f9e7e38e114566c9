#pragma once

#include <string>
#include <vector>

#include "report/ReportReader.h"
#include "requirements/RoleLabels.h"

namespace Talvane::Nimlo::Testing {

// A report as the reader hands it out, its rows without texts: the Client
// falls short of the CPU and memory rows (when `clientMeets` is false), the
// 64-bit role always of its disk row.
inline ReportContent Machine(const std::string& name, bool clientMeets)
{
    ReportRole client{"Client", clientMeets, {}};
    for (std::size_t i = 0; i < RowLabels(Role::Client).size(); ++i) {
        client.rows.push_back({"", clientMeets || (i != 1 && i != 2), {}, {}, {}});
    }
    ReportRole web{"Web", true,
                   std::vector<ReportRow>(RowLabels(Role::WebServer).size(), ReportRow{"", true, {}, {}, {}})};
    ReportRole app{"App", false,
                   std::vector<ReportRow>(RowLabels(Role::AppServer64).size(), ReportRow{"", true, {}, {}, {}})};
    app.rows[3].passed = false;
    return {name, {client, web, app}};
}

} // namespace Talvane::Nimlo::Testing
