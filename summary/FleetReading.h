#pragma once

#include <ostream>

#include "platform/FleetFiles.h"
#include "report/ReportReader.h"
#include "summary/Fleet.h"
#include "summary/Outputs.h"
#include "summary/Search.h"

namespace Talvane::Nimlo {

// Takes in every file the search finds, in the search's order (TakeIn): each
// report into the fleet, and its lines into the long CSV (`longCsv`, where
// there is one) as it comes; each note for its host; each rejection and each
// path passed over named on `err` and counted. A page that is one of the
// outputs is not taken: where it is a report, the reading stops, named, and
// gives false (nothing may be written then); where it is none (the overview
// of an earlier run in a searched folder), it is passed over in silence.
// Where somebody watches standard error, a line there follows the reports read.
bool ReadFleet(Search& search, FleetFiles& files, const ReportReader& reader, const Outputs& outputs, Fleet& fleet,
               std::ostream* longCsv, std::ostream& err);

} // namespace Talvane::Nimlo
