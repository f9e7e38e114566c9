#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "report/ReportReader.h"
#include "requirements/RoleLabels.h"

namespace Talvane::Nimlo {

// One role of one machine as the overview shows it.
struct RoleOutcome {
    bool meets = false;
    std::vector<std::string> failedLabels; // the hardware labels of the rows that failed, as text
};

// What the summary keeps of one report once its rows are written out: all
// text as it shows (entities decoded), none of it escaped yet, and none of it
// longer than ShownTextLimit bytes (a real computer name has 63 at most), so
// what is kept does not grow with what a page holds.
inline constexpr std::size_t ShownTextLimit = 256;

struct MachineEntry {
    std::string computerName;  // shortened to ShownTextLimit, with "..." where it was cut
    std::uint64_t nameKey = 0; // the whole name, without case, hashed: which reports are one machine
    std::string reportFile;    // as it was found, UTF-8
    std::string href;          // the link to the report from the overview's folder
    std::array<RoleOutcome, RoleCount> roles;
    bool duplicate = false; // another report has the same computer name
};

struct FleetCounts {
    std::size_t reportsRead = 0;
    std::size_t reportsRejected = 0;
    std::size_t machines = 0; // distinct computer names
    std::array<std::size_t, RoleCount> meeting{};
};

MachineEntry SummarizeReport(const ReportContent& content, std::string reportFile, std::string href);

// Sorts by computer name (letters compared without case, as Windows compares
// computer names), then by report file, and marks the reports whose computer
// name another one has too.
void SortAndMarkDuplicates(std::vector<MachineEntry>& machines);

FleetCounts CountFleet(const std::vector<MachineEntry>& machines, std::size_t rejected);

// "12 reports read, 1 rejected, 11 machines; Client: 9 of 12 meet it, ..."
std::string ClosingLine(const FleetCounts& counts);

} // namespace Talvane::Nimlo
