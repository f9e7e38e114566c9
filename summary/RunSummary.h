#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace Talvane::Nimlo {

inline constexpr int SummaryOk = 0;
inline constexpr int SummaryUsageError = 1;
inline constexpr int SummaryRejectedFiles = 2;

// The whole summary program: `arguments` (UTF-8, after the program's name)
// as SummaryUsage describes them; the CSV goes to `out` when no file is named
// for it, messages and the closing line to `err`. Every report file is read
// once; what is kept of it afterwards is one MachineEntry.
int RunSummary(const std::vector<std::string>& arguments, std::string_view reportTemplate, std::ostream& out,
               std::ostream& err);

} // namespace Talvane::Nimlo
