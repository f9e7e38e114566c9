#pragma once

#include <cstdint>
#include <string>

#include "platform/RunServices.h"

namespace Talvane::Nimlo {

inline constexpr char16_t ReportFileName[] = u"System Assessment Results.html";

// The two message boxes a user can meet.
inline constexpr char16_t WriteFailureText[] =
    u"Failed to write assessment results to disk. Please run this application as administrator";
// "Assessmnet" is misspelt on purpose: it is the caption every earlier version
// showed, and what administrators' scripts, notes and searches look for. Do
// not correct it.
inline constexpr char16_t WriteFailureCaption[] = u"Assessmnet Write Failure";
inline constexpr char16_t NotAssessedCaption[] = u"System Assessment";
inline constexpr char16_t NotAssessedTextStart[] = u"The system assessment could not be completed: ";
// When not even the reason can be put into words (memory ran out).
inline constexpr char16_t NotAssessedFixedText[] = u"The system assessment could not be completed.";
// The same as the line on standard error, where no box can be seen.
inline constexpr char NotAssessedFixedLine[] = "System Assessment: The system assessment could not be completed.\r\n";

// The whole collection (COM, WMI, the registry) must end within this time;
// past it, nothing is assessed and the process ends.
inline constexpr std::uint32_t CollectionLimitMilliseconds = 120000;

// How the run ended, as the process's exit status.
enum class ExitStatus : int {
    ReportOpened = 0, // written (and opened, where someone can see it)
    NotAssessed = 1,  // collecting, judging or rendering failed; nothing written
    WriteFailed = -1  // the report could not be written
};

constexpr int ExitCode(ExitStatus status)
{
    return static_cast<int>(status);
}

// The whole program: collect (on a thread of its own, within
// `collectionLimit` milliseconds), judge the three roles, render, write the
// report into the current directory and hand it to the shell. Where no user
// can see a message box, nothing is opened, and a failure's box becomes one
// line on standard error. A collection that does not end in time is
// abandoned: the run says why, then ends the process (EndAbandoned). Every
// end hands the tool that started the program its result, as the last line
// on standard output (FormatResultLine) where that is a file or a pipe.
ExitStatus RunAssessment(RunServices& services, std::uint32_t collectionLimit = CollectionLimitMilliseconds);

} // namespace Talvane::Nimlo
