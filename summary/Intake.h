#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <variant>

#include "platform/FileSystem.h"
#include "platform/Result.h"
#include "report/ReportReader.h"
#include "summary/Fleet.h"
#include "summary/HostFiles.h"
#include "summary/Search.h"

namespace Talvane::Nimlo {

// A page larger than this (a real one has about 16 KB) holds several times its
// size once parsed, its long CSV lines most (its computer name on each): its
// content is kept instead, and its CSV lines are written from it one at a time.
inline constexpr std::uint64_t LargePageBytes = 1u << 20;

// A report read from its page, made where it was parsed into what the fleet
// keeps of it and, where they are asked for, its long CSV lines.
struct TakenReport {
    ReportDigest digest;
    std::string csvLines;                 // a page's up to LargePageBytes
    std::optional<ReportContent> content; // a larger page's, for its CSV lines
    std::string file;                     // the page's path, UTF-8, as the outputs name it
};

// Writes the report's long CSV lines, where they were asked for.
void WriteCsvLines(std::ostream& out, const TakenReport& report);

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

// Whether a file found has bytes to read: a page, or a note that can be read.
bool HasBytesToRead(const Found& found);

// The bytes of a file found where there are any to read, a page's or a
// note's that can be read (at most MaxReportBytes, MaxNoteBytes), or why
// they cannot be read; none for a path passed over or a note that cannot be.
// Memory running out is a file that cannot be read.
std::optional<Result<std::string>> ReadFound(FileSystem& files, const Found& found);

// What one file found holds, from the bytes ReadFound gave of it: a page's
// report ("not a System Assessment report: " and where it differs where it
// holds none), with its long CSV lines where `csvLines` asks for them; a
// note's word and detail; a path passed over's rejection.
Taken Take(const ReportReader& reader, const Found& found, std::optional<Result<std::string>> bytes, bool csvLines);

} // namespace Talvane::Nimlo
