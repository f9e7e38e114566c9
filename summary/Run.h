#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SummaryServices.h"

namespace Talvane::Nimlo {

// How a summary ended, as the process's exit status.
enum class SummaryStatus : int {
    // Every report found was read and every host expected was assessed.
    Complete = 0,
    // Nothing was written: a usage error, an output that is one of the
    // reports, or an output that cannot be written.
    Failed = 1,
    // The summary does not account for everything: something was rejected
    // or passed over, a host was not assessed or has a note beside its
    // report, or nothing was found at all.
    Incomplete = 2
};

// The whole summary program: `arguments` (UTF-8, after the program's name)
// as SummaryUsage describes them; the long CSV goes to `out` when no output
// file is named, messages and the closing line to `err`. A report goes one
// way: the command line (Options), the search of the paths (Search), the
// intake of each file it finds (Intake, FleetReading), the fleet (Fleet,
// Counts), the outputs (Outputs: Csv, Overview, Lists). Every report file is
// read once, through the files of `services`; what is kept of it afterwards
// is one ReportRecord.
SummaryStatus RunSummary(const std::vector<std::string>& arguments, std::string_view reportTemplate,
                         SummaryServices& services, std::ostream& out, std::ostream& err);

} // namespace Talvane::Nimlo
