#include "app/ResultLine.h"

#include <algorithm>

#include "text/JsonText.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

constexpr std::string_view LineEnd = "\r\n";

void AppendString(std::string& out, std::string_view escaped)
{
    out.append("\"").append(escaped).append("\"");
}

void AppendRoles(std::string& out, const std::vector<RoleAssessment>& roles)
{
    out += ",\"roles\":[";
    for (std::size_t i = 0; i < roles.size(); ++i) {
        const RoleAssessment& role = roles[i];
        out += i == 0 ? "{\"role\":" : ",{\"role\":";
        AppendString(out, JsonStringContent(ToUtf8(role.Title())));
        out += Meets(role) ? R"(,"passed":true,"failed":[)" : R"(,"passed":false,"failed":[)";
        bool first = true;
        for (const RequirementResult& row : role.Results()) {
            if (!row.passed) {
                out += first ? "" : ",";
                AppendString(out, JsonStringContent(ToUtf8(row.Hardware())));
                first = false;
            }
        }
        out += "]}";
    }
    out += "]";
}

// The line with the computer name's and the reason's escaped forms as given.
std::string Line(const RunResult& result, std::string_view computer, std::string_view reason)
{
    std::string line = "{";
    if (result.computer) {
        line += "\"computer\":";
        AppendString(line, computer);
        line += ",";
    }
    line += "\"outcome\":";
    AppendString(line, OutcomeWord(result.outcome));
    if (!result.roles.empty()) {
        AppendRoles(line, result.roles);
    }
    if (result.outcome != RunOutcome::Assessed) {
        line += ",\"reason\":";
        AppendString(line, reason);
    }
    return line.append("}").append(LineEnd);
}

} // namespace

std::string FormatResultLine(const RunResult& result)
{
    const std::string computer = result.computer ? ToUtf8(*result.computer) : std::string();
    const std::size_t fixed = Line(result, {}, {}).size();
    const std::size_t room = ResultLineLimit > fixed ? ResultLineLimit - fixed : 0;
    const std::size_t computerLength = JsonEscapedLength(computer);
    const std::size_t reasonLength = JsonEscapedLength(result.reason);
    // Each gets what it needs when both fit; else the shorter keeps what it
    // needs up to half the room, the longer the rest.
    std::size_t computerLimit = computerLength;
    std::size_t reasonLimit = reasonLength;
    if (computerLength + reasonLength > room) {
        computerLimit = std::min(computerLength, std::max(room / 2, room - std::min(reasonLength, room)));
        reasonLimit = room - computerLimit;
    }
    return Line(result, JsonStringContent(computer, computerLimit), JsonStringContent(result.reason, reasonLimit));
}

const char* FixedResultLine(RunOutcome outcome) noexcept
{
    switch (outcome) {
    case RunOutcome::AssessmentFailed:
        return LastResortResultLine;
    case RunOutcome::ReportNotWritten:
        return "{\"outcome\":\"report not written\"}\r\n";
    default:
        return "{\"outcome\":\"assessed\"}\r\n";
    }
}

} // namespace Talvane::Nimlo
