#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "requirements/RoleLabels.h"
#include "summary/HostFiles.h"

namespace Talvane::Nimlo {

class FinishedFleet;

// What the overview and the closing line count.
struct FleetCounts {
    std::size_t reportsRead = 0;
    std::size_t reportsRejected = 0;
    std::size_t machines = 0;    // distinct computer names (several reports may name one machine)
    bool expecting = false;      // hosts were expected
    std::size_t expected = 0;    // hosts expected (none without a list of them)
    std::size_t notes = 0;       // hosts with a note, a report beside it or not
    std::size_t known = 0;       // without hosts expected: the reports read and the hosts with only a note
    std::size_t notAssessed = 0; // hosts with a note and no report, and hosts expected with neither
    std::size_t notExpected = 0; // of those, the hosts with a note that were not expected
    std::size_t notesBesideReports = 0;
    std::array<std::size_t, NoteKindCount> notAssessedBy{}; // by NoteKind
    std::array<std::size_t, RoleCount> meeting{};           // by RoleIndex: the reports that meet the role
    std::array<std::size_t, RequirementCount> fallingShort{};
};

FleetCounts CountFleet(const FinishedFleet& fleet);

// "12 reports read, 1 rejected, 11 machines; Client: 9 of 12 meet it, ...",
// and with hosts expected "; 2 of 14 hosts expected not assessed". Where
// there are notes, the hosts not assessed by group: "; 3 of 14 hosts known
// not assessed (2 unreachable, 1 timed out)" (the reports and the notes are
// the hosts known), or "; 3 of 14 hosts expected not assessed and 1 not
// expected (...)".
std::string ClosingLine(const FleetCounts& counts);

} // namespace Talvane::Nimlo
