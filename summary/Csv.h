#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "report/ReportReader.h"
#include "summary/Fleet.h"

namespace Talvane::Nimlo {

// The two CSVs of a fleet, RFC 4180: UTF-8 with a byte order mark (so Excel
// shows localized computer names), CR LF after every line, a header line.
// The long CSV has one line per report, role and requirement; the --machines
// CSV one per report and one per host not assessed.
//
// Cells hold the text as the page shows it (as the reader hands it out). A cell of several items
// has one item per line (items joined by a line feed; a line break inside an
// item becomes a space, so each line is one item), and a check box item
// begins with "[x] " when ticked and "[ ] " when not. A cell that Excel
// would take for a formula (it begins with = + - @ or a tab) gets a leading
// apostrophe: machine-supplied texts must not run as formulas.

// The long CSV's byte order mark and header line.
std::string CsvStart();

// Writes the lines of one report, one at a time; `reportFile` as it is to be shown.
void WriteCsvLines(std::ostream& out, const ReportContent& content, std::string_view reportFile);

// The --machines CSV, with the same conventions: the byte order mark and a
// header line (computer, report file, then for each role its verdict and the
// requirements it falls short of, then why the host was not assessed), one
// line per report in the fleet's order (the last cell empty), then one per
// host not assessed (no file, "not assessed", the note's kind and detail or
// "no record").
void WriteMachinesCsv(std::ostream& out, const FinishedFleet& fleet);

// One field, quoted where RFC 4180 needs it, with the formula guard.
std::string CsvField(std::string_view text);

} // namespace Talvane::Nimlo
