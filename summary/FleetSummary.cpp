#include "summary/FleetSummary.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "requirements/RoleLabels.h"
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

// FNV-1a, 64 bits: the same name gives the same key on every platform.
std::uint64_t NameKey(const std::string& name)
{
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : Folded(name)) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
    }
    return hash;
}

// At most ShownTextLimit bytes, cut before a UTF-8 sequence that would not fit.
std::string Shortened(const std::string& text)
{
    if (text.size() <= ShownTextLimit) {
        return text;
    }
    std::size_t end = ShownTextLimit - 3;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return text.substr(0, end) + "...";
}

} // namespace

MachineEntry SummarizeReport(const ReportContent& content, std::string reportFile, std::string href)
{
    MachineEntry machine;
    const std::string& name = content.computerName;
    machine.computerName = Shortened(name);
    machine.nameKey = NameKey(name);
    machine.reportFile = std::move(reportFile);
    machine.href = std::move(href);
    for (std::size_t i = 0; i < RoleCount && i < content.roles.size(); ++i) {
        machine.roles[i].meets = content.roles[i].meets;
        for (const ReportRow& row : content.roles[i].rows) {
            if (!row.passed) {
                machine.roles[i].failedLabels.push_back(Shortened(row.hardware));
            }
        }
    }
    return machine;
}

void SortAndMarkDuplicates(std::vector<MachineEntry>& machines)
{
    std::sort(machines.begin(), machines.end(), [](const MachineEntry& a, const MachineEntry& b) {
        return std::tuple(Folded(a.computerName), a.nameKey, a.computerName, a.reportFile) <
               std::tuple(Folded(b.computerName), b.nameKey, b.computerName, b.reportFile);
    });
    for (std::size_t i = 0; i < machines.size(); ++i) {
        const std::uint64_t key = machines[i].nameKey;
        const bool samePrevious = i > 0 && machines[i - 1].nameKey == key;
        const bool sameNext = i + 1 < machines.size() && machines[i + 1].nameKey == key;
        machines[i].duplicate = samePrevious || sameNext;
    }
}

FleetCounts CountFleet(const std::vector<MachineEntry>& machines, std::size_t rejected)
{
    FleetCounts counts;
    counts.reportsRead = machines.size();
    counts.reportsRejected = rejected;
    std::set<std::uint64_t> names;
    for (const MachineEntry& machine : machines) {
        names.insert(machine.nameKey);
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
