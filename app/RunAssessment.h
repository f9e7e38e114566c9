#pragma once

#include <string>

#include "platform/RunServices.h"

namespace Talvane::Nimlo {

inline constexpr char16_t ReportFileName[] = u"System Assessment Results.html";

// The two message boxes a user can meet.
inline constexpr char16_t WriteFailureText[] =
    u"Failed to write assessment results to disk. Please run this application as administrator";
inline constexpr char16_t WriteFailureCaption[] = u"Assessmnet Write Failure";
inline constexpr char16_t NotAssessedCaption[] = u"System Assessment";
inline constexpr char16_t NotAssessedTextStart[] = u"The system assessment could not be completed: ";
// When not even the reason can be put into words (memory ran out).
inline constexpr char16_t NotAssessedFixedText[] = u"The system assessment could not be completed.";

// Exit statuses of the run.
inline constexpr int ExitReportOpened = 0;
inline constexpr int ExitNotAssessed = 1;  // collecting, judging or rendering failed; nothing written
inline constexpr int ExitWriteFailed = -1; // the report could not be written

// The whole program: collect, judge the three roles, render, write the report
// next to the current directory and hand it to the shell. Where no user can
// see a message box, the failures end with their exit status and no box.
int RunAssessment(RunServices& services);

} // namespace Talvane::Nimlo
