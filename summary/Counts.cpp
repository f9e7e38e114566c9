#include "summary/Counts.h"

#include <set>

#include "summary/Fleet.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {

FleetCounts CountFleet(const FinishedFleet& fleet)
{
    FleetCounts counts;
    const std::deque<ReportRecord>& reports = fleet.Reports();
    counts.reportsRead = reports.size();
    counts.reportsRejected = fleet.Rejected();
    counts.expecting = fleet.Expecting();
    counts.expected = fleet.ExpectedCount();
    counts.notes = fleet.Notes().size();
    counts.notAssessed = fleet.NotAssessed().size();
    for (const NoteRecord& note : fleet.Notes()) {
        counts.notesBesideReports += note.besideReport ? 1u : 0u;
    }
    for (const NotAssessedHost& host : fleet.NotAssessed()) {
        ++counts.notAssessedBy[static_cast<std::size_t>(host.kind)];
        counts.notExpected += host.unexpected ? 1u : 0u;
    }
    counts.known = reports.size() + counts.notes - counts.notesBesideReports;
    std::set<std::uint64_t> names;
    for (const ReportRecord& report : reports) {
        names.insert(report.computerKey);
        for (const Role role : AllRoles) {
            counts.meeting[RoleIndex(role)] += report.failed.Meets(role) ? 1u : 0u;
        }
        for (std::size_t requirement = 0; requirement < RequirementCount; ++requirement) {
            counts.fallingShort[requirement] += report.failed.FallsShortOf(requirement) ? 1u : 0u;
        }
    }
    counts.machines = names.size();
    return counts;
}

std::string ClosingLine(const FleetCounts& counts)
{
    std::string line = std::to_string(counts.reportsRead) + " reports read, " + std::to_string(counts.reportsRejected) +
                       " rejected, " + std::to_string(counts.machines) + " machines";
    for (const Role role : AllRoles) {
        line += (role == Role::Client ? "; " : ", ") + ToUtf8(RoleTitle(role)) + ": " +
                std::to_string(counts.meeting[RoleIndex(role)]) + " of " + std::to_string(counts.reportsRead) +
                " meet it";
    }
    if (counts.notes == 0) {
        if (counts.expected > 0) {
            line += "; " + std::to_string(counts.notAssessed) + " of " + std::to_string(counts.expected) +
                    " hosts expected not assessed";
        }
        return line;
    }
    if (counts.expecting) {
        line += "; " + std::to_string(counts.notAssessed - counts.notExpected) + " of " +
                std::to_string(counts.expected) + " hosts expected not assessed";
        if (counts.notExpected > 0) {
            line += " and " + std::to_string(counts.notExpected) + " not expected";
        }
    } else {
        line += "; " + std::to_string(counts.notAssessed) + " of " + std::to_string(counts.known) +
                " hosts known not assessed";
    }
    std::string groups;
    for (std::size_t kind = 0; kind < NoteKindCount; ++kind) {
        if (counts.notAssessedBy[kind] > 0) {
            groups += (groups.empty() ? "" : ", ") + std::to_string(counts.notAssessedBy[kind]) + " " +
                      std::string(NoteKindNames[kind]);
        }
    }
    if (!groups.empty()) {
        line += " (" + groups + ")";
    }
    if (counts.notesBesideReports > 0) {
        line += "; " + std::to_string(counts.notesBesideReports) + " with both a report and a note";
    }
    return line;
}

} // namespace Talvane::Nimlo
