#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FleetFiles.h"

namespace Talvane::Nimlo {

inline constexpr int SummaryOk = 0;            // every report found was read
inline constexpr int SummaryUsageError = 1;    // a usage error, or an output that cannot be written
inline constexpr int SummaryRejectedFiles = 2; // something was rejected or passed over, or no report found

// The whole summary program: `arguments` (UTF-8, after the program's name)
// as SummaryUsage describes them; the CSV goes to `out` when no output file
// is named, messages and the closing line to `err`. Every report file is read
// once, through `files`; what is kept of it afterwards is one ReportRecord.
int RunSummary(const std::vector<std::string>& arguments, std::string_view reportTemplate, FleetFiles& files,
               std::ostream& out, std::ostream& err);

} // namespace Talvane::Nimlo
