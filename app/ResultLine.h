#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "requirements/RoleAssessment.h"

namespace Talvane::Nimlo {

// How a run ended, in the words a collector's note uses for its KIND.
enum class RunOutcome : std::uint8_t { Assessed, AssessmentFailed, ReportNotWritten };

inline constexpr std::string_view AssessedWord = "assessed";
inline constexpr std::string_view AssessmentFailedWord = "assessment failed";
inline constexpr std::string_view ReportNotWrittenWord = "report not written";

constexpr std::string_view OutcomeWord(RunOutcome outcome)
{
    switch (outcome) {
    case RunOutcome::AssessmentFailed:
        return AssessmentFailedWord;
    case RunOutcome::ReportNotWritten:
        return ReportNotWrittenWord;
    default:
        return AssessedWord;
    }
}

// What a run hands the tool that started it.
struct RunResult {
    RunOutcome outcome = RunOutcome::Assessed;
    std::optional<std::u16string> computer; // none when the collection failed
    std::vector<RoleAssessment> roles;      // empty when the roles were not judged
    std::string reason;                     // UTF-8: a failure's text, as the box or standard error says it
};

// The most bytes of a result line, its CR LF included: well inside the 2,048
// characters that deployment tools keep of a script's last line, with room
// for what a wrapper script adds.
inline constexpr std::size_t ResultLineLimit = 1536;

// The run's result as one line for a deployment tool: a JSON object in ASCII,
// ending in CR LF, at most ResultLineLimit bytes:
//
//   {"computer":NAME,"outcome":WORD,"roles":[{"role":TITLE,"passed":BOOL,"failed":[LABEL,...]},...],"reason":TEXT}
//
// "computer" only when collected, "roles" only when judged (in the report's
// order, each row that fails by its hardware label), "reason" only for a
// failure. A computer name and a reason that together would break the bound
// share what is left of it (each at least half, or all it needs) and are cut
// with "...".
std::string FormatResultLine(const RunResult& result);

// The line for `outcome` alone, for when FormatResultLine cannot allocate.
const char* FixedResultLine(RunOutcome outcome) noexcept;

// What the entry point's last resort writes: nothing was assessed and not even
// the reason could be put into words.
inline constexpr char LastResortResultLine[] =
    "{\"outcome\":\"assessment failed\",\"reason\":\"The system assessment could not be completed.\"}\r\n";

} // namespace Talvane::Nimlo
