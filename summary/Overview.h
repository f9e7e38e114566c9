#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "summary/Fleet.h"

namespace Talvane::Nimlo {

// The machine table and the list of hosts not assessed take at most this many
// bytes of the page, so the page stays under 5 MB whatever the fleet: a row is
// about 400 bytes, 16 KiB at the very most (a 256-byte computer name and a
// 4 KiB path, both escaped), so the table shows at least 180 rows and a real
// fleet's first 7,000 or so; past the bound it says how many more the CSV and
// the lists hold.
inline constexpr std::size_t OverviewTableBytes = 3'000'000;
inline constexpr std::size_t OverviewNotAssessedBytes = 1'000'000;

// Where the overview's links lead from.
struct OverviewPlaces {
    std::filesystem::path folder;               // the overview's own folder
    std::optional<std::filesystem::path> lists; // the --lists folder, where there is one
};

// The overview of a fleet as one self-contained HTML page (inline style, no
// script, nothing fetched), most important first: for each role how many
// reports meet it, of how many read and expected; for each requirement how
// many reports fall short of it, largest first, with its share drawn as a bar
// and its count linked to its list file; the hosts not assessed, grouped by
// their notes' kinds in NoteKind's order, each group under its count, with
// the notes' details; then one line per report in the fleet's order, with
// each role's verdict, the labels of the rows that failed, marks on
// duplicates and unexpected names and a link to the report. Every text from the machines is escaped,
// and the page's security policy forbids scripts besides.
// Written to `out` as it is made, so that only a few kilobytes of it are in memory.
void WriteOverview(std::ostream& out, const FinishedFleet& fleet, const OverviewPlaces& places);
std::string RenderOverview(const FinishedFleet& fleet, const OverviewPlaces& places);

} // namespace Talvane::Nimlo
