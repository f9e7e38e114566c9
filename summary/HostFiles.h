#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace Talvane::Nimlo {

// The files a round leaves for its hosts, and what their names and their
// bytes say: a host's report page, NAME.html; a host's note,
// NAME.not-assessed.txt, where the round could not assess it; the list of
// the hosts expected (--expect).

// The largest file read as a report. The largest page a machine can give is
// about 19 MB (a caption and a computer name of a mebibyte each, full of
// placeholders that each grow fourfold); a real page is about 16 KB. Anything
// larger is no page of ours and is refused by its size, unread.
inline constexpr std::uint64_t MaxReportBytes = 64ull << 20;

// The largest file read as a note: a line is a few hundred bytes.
inline constexpr std::uint64_t MaxNoteBytes = 64u << 10;

inline constexpr std::string_view NoteSuffix = ".not-assessed.txt";

// Whether the name ends in .htm or .html, in any case.
bool IsPageName(const std::filesystem::path& name);

// A report's name: its file name without the extension (the host's name in
// the inventory or the list of computers), either separator.
std::string_view ReportName(std::string_view reportFile);

// Whether the file name is NAME.not-assessed.txt (in any case) with a NAME.
bool IsNoteName(const std::filesystem::path& name);

// The host a note is for: its file name without ".not-assessed.txt", either separator.
std::string_view NoteHost(std::string_view noteFile);

// Host names compared as Windows compares them, letters without case (folded
// to upper case, which orders the characters between the cases, '[' to '`',
// after the letters): -1, 0 or 1.
int CompareHostNames(std::string_view a, std::string_view b);
inline bool SameHostName(std::string_view a, std::string_view b)
{
    return CompareHostNames(a, b) == 0;
}

// A host's note: one line, "KIND: DETAIL", KIND in lower case:
//
//   unreachable         no session could be opened; DETAIL is the transport's words
//   timed out           DETAIL says after how long
//   assessment failed   the program ended with 1: "exit status 1: " and its line on standard error
//   report not written  the program ended with -1 (255 or 4294967295 as some tools show it)
//   failed              anything else: a copy or fetch that failed, another exit status
//
// What is no such line (an empty note, a KIND of nobody's, a note that cannot
// be read) is `Other`. `NoRecord` is the group of the hosts expected that have
// no note and no report: no collector tried them.
enum class NoteKind : std::uint8_t {
    Unreachable,
    TimedOut,
    AssessmentFailed,
    ReportNotWritten,
    Failed,
    Other,
    NoRecord
};

inline constexpr std::size_t NoteKindCount = 7;

// The kinds' words, in NoteKind's order, which is also the order the hosts
// not assessed are shown in.
inline constexpr std::array<std::string_view, NoteKindCount> NoteKindNames{
    "unreachable", "timed out", "assessment failed", "report not written", "failed", "other", "no record"};

inline std::string_view NoteKindName(NoteKind kind)
{
    return NoteKindNames[static_cast<std::size_t>(kind)];
}

struct HostNote {
    NoteKind kind = NoteKind::Other;
    std::string detail; // valid UTF-8 without control characters; for `Other`, the whole line
};

// The note in `bytes`: UTF-8 with or without a byte order mark, or UTF-16
// with one (as PowerShell 5.1's `>` writes it), bytes that are no UTF-8 made
// valid; only the first line counts, white space around it passed over.
HostNote ParseNote(std::string_view bytes);

// "timed out: after 300 s"; the kind alone where there is no detail.
std::string NoteReason(NoteKind kind, std::string_view detail);

// The host names of an --expect file, one a line: UTF-8 with or without a
// byte order mark, or UTF-16 with one (as PowerShell 5.1's Out-File and `>`
// write it), LF or CR LF. White space around a name and empty lines are
// passed over; every name comes back as valid UTF-8.
std::vector<std::string> ParseHostList(std::string_view bytes);

} // namespace Talvane::Nimlo
