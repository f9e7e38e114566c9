#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <variant>

#include "platform/FleetFiles.h"
#include "platform/Result.h"
#include "report/ReportReader.h"
#include "summary/HostFiles.h"
#include "summary/Search.h"

namespace Talvane::Nimlo {

// A report read from its page.
struct TakenReport {
    ReportContent content;
    std::string file; // the page's path, UTF-8, as the outputs name it
};

// A host's note: what it says, or that it could not be read (then it is
// `Other`, "note not read: " and why, and a message names it). Either way its
// host is not assessed.
struct TakenNote {
    HostNote note;
    std::string file;                   // the note's path, UTF-8
    std::optional<std::string> message; // where it could not be read: what standard error says of it
};

// A file that might have held a report and gave none, or a path passed over:
// named on standard error ("path: why") and counted as rejected.
struct Rejection {
    std::string message;
};

// What one file the search found holds.
using Taken = std::variant<TakenReport, TakenNote, Rejection>;

// The bytes of a file found where there are any to read, a page's or a
// note's that can be read (at most MaxReportBytes, MaxNoteBytes), or why
// they cannot be read; none for a path passed over or a note that cannot be.
// Memory running out is a file that cannot be read.
std::optional<Result<std::string>> ReadFound(FleetFiles& files, const Found& found);

// What one file found holds, from the bytes ReadFound gave of it: a page's
// report ("not a System Assessment report: " and where it differs where it
// holds none), a note's word and detail, a path passed over's rejection.
Taken Take(const ReportReader& reader, const Found& found, std::optional<Result<std::string>> bytes);

// One file the search found, to what it holds: read, then taken.
Taken TakeIn(FleetFiles& files, const ReportReader& reader, const Found& found);

} // namespace Talvane::Nimlo
