#include "summary/FleetSummary.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "requirements/RoleBuilders.h"
#include "text/HtmlText.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

std::string Folded(const std::string& name)
{
    std::string folded = name;
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    return folded;
}

} // namespace

MachineEntry SummarizeReport(const ReportContent& content, std::string reportFile, std::string href)
{
    MachineEntry machine;
    machine.computerName = DecodeEntities(content.computerName);
    machine.reportFile = std::move(reportFile);
    machine.href = std::move(href);
    for (std::size_t i = 0; i < RoleCount && i < content.roles.size(); ++i) {
        machine.roles[i].meets = content.roles[i].meets;
        for (const ReportRow& row : content.roles[i].rows) {
            if (!row.passed) {
                machine.roles[i].failedLabels.push_back(DecodeEntities(row.hardware));
            }
        }
    }
    return machine;
}

void SortAndMarkDuplicates(std::vector<MachineEntry>& machines)
{
    std::vector<std::string> keys;
    std::sort(machines.begin(), machines.end(), [](const MachineEntry& a, const MachineEntry& b) {
        return std::tuple(Folded(a.computerName), a.computerName, a.reportFile) <
               std::tuple(Folded(b.computerName), b.computerName, b.reportFile);
    });
    for (std::size_t i = 0; i < machines.size(); ++i) {
        const std::string key = Folded(machines[i].computerName);
        const bool samePrevious = i > 0 && Folded(machines[i - 1].computerName) == key;
        const bool sameNext = i + 1 < machines.size() && Folded(machines[i + 1].computerName) == key;
        machines[i].duplicate = samePrevious || sameNext;
    }
}

FleetCounts CountFleet(const std::vector<MachineEntry>& machines, std::size_t rejected)
{
    FleetCounts counts;
    counts.reportsRead = machines.size();
    counts.reportsRejected = rejected;
    std::set<std::string> names;
    for (const MachineEntry& machine : machines) {
        names.insert(Folded(machine.computerName));
        for (std::size_t i = 0; i < RoleCount; ++i) {
            counts.meeting[i] += machine.roles[i].meets ? 1u : 0u;
        }
    }
    counts.machines = names.size();
    return counts;
}

std::string ClosingLine(const FleetCounts& counts)
{
    std::string line = std::to_string(counts.reportsRead) + " reports read, " + std::to_string(counts.reportsRejected) +
                       " rejected, " + std::to_string(counts.machines) + " machines";
    for (std::size_t i = 0; i < RoleCount; ++i) {
        line += (i == 0 ? "; " : ", ") + ToUtf8(RoleTitles[i]) + ": " + std::to_string(counts.meeting[i]) + " of " +
                std::to_string(counts.reportsRead) + " meet it";
    }
    return line;
}

} // namespace Talvane::Nimlo
