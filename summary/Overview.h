#pragma once

#include <string>
#include <vector>

#include "summary/FleetSummary.h"

namespace Talvane::Nimlo {

// The overview of a fleet as one self-contained HTML page (inline style, no
// script, nothing fetched): the counts, then one line per machine in the
// order given, with each role's verdict, the labels of the rows that failed,
// a mark on duplicates and a link to the machine's own report. Every text
// from the machines is escaped, and the page's security policy forbids
// scripts besides.
std::string RenderOverview(const std::vector<MachineEntry>& machines, const FleetCounts& counts);

} // namespace Talvane::Nimlo
