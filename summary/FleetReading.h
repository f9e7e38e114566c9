#pragma once

#include <ostream>

#include "platform/SummaryServices.h"
#include "report/ReportReader.h"
#include "summary/Fleet.h"
#include "summary/Options.h"
#include "summary/Outputs.h"

namespace Talvane::Nimlo {

// Searches the PATHs and takes in every file found, in the search's order
// (PooledIntake: `options.jobs` looked up and read at once, the pages parsed
// on every core): each report into the fleet, and its lines into the long
// CSV (`longCsv`, where there is one) as it comes; each note for its host;
// each rejection and each path passed over named on `err` and counted. A
// page that is one of the outputs is not taken: where it is a report, the
// reading stops, named, and gives false (nothing may be written then); where
// it is none (the overview of an earlier run in a searched folder), it is
// passed over in silence. Where somebody watches standard error, a line there
// follows the reports read.
bool ReadFleet(const SummaryOptions& options, SummaryServices& services, const ReportReader& reader,
               const Outputs& outputs, Fleet& fleet, std::ostream* longCsv, std::ostream& err);

} // namespace Talvane::Nimlo
