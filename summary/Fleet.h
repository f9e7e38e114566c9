#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "report/ReportReader.h"
#include "requirements/RoleLabels.h"
#include "summary/FailedRequirements.h"
#include "summary/HostNote.h"

namespace Talvane::Nimlo {

// No computer name is kept longer than this many bytes (a real one has 63 at
// most), so what is kept does not grow with what a page holds.
inline constexpr std::size_t ShownTextLimit = 256;

// Where a text is among the fleet's texts, with its length: its block, its
// offset in the block and its length, from the highest bits down, so handles
// order as their texts were kept. A text may hold any byte, NUL too.
using TextHandle = std::uint64_t;

// What the summary keeps of one report once its rows are written out: where
// its texts are, and a bit per requirement.
struct ReportRecord {
    TextHandle computer = 0;       // the computer name as shown, cut to ShownTextLimit with "..."
    TextHandle folder = 0;         // the report file as it was found, UTF-8: up to its name, shared
    TextHandle file = 0;           // and its name
    std::uint64_t computerKey = 0; // the whole computer name without case, hashed: which reports are one machine
    FailedRequirements failed;     // the requirements the report falls short of
    bool duplicate = false;        // another report has the same computer name
    bool unexpected = false;       // hosts were expected, and this report's name is not one of them
};

// What the summary keeps of one host's note.
struct NoteRecord {
    TextHandle folder = 0; // the note as it was found, UTF-8: up to its name, shared
    TextHandle file = 0;   // and its name, which tells the host
    TextHandle detail = 0; // cut to ShownTextLimit with "..."
    NoteKind kind = NoteKind::Other;
    bool besideReport = false; // a report has the host's name: the host is counted from it
};

// A host not assessed, as the outputs show it.
struct NotAssessedHost {
    std::string_view name;   // as the hosts expected spell it, where they name it
    NoteKind kind;           // NoRecord: expected, and neither a report nor a note
    std::string_view detail; // the note's, cut to ShownTextLimit
    bool unexpected;         // hosts were expected, and this one is not
};

struct FleetCounts {
    std::size_t reportsRead = 0;
    std::size_t reportsRejected = 0;
    std::size_t machines = 0;    // distinct computer names
    bool expecting = false;      // hosts were expected
    std::size_t expected = 0;    // hosts expected (none without a list of them)
    std::size_t notes = 0;       // hosts with a note, a report beside it or not
    std::size_t known = 0;       // without hosts expected: the reports read and the hosts with only a note
    std::size_t notAssessed = 0; // hosts with a note and no report, and hosts expected with neither
    std::size_t notExpected = 0; // of those, the hosts with a note that were not expected
    std::size_t notesBesideReports = 0;
    std::array<std::size_t, NoteKindCount> notAssessedBy{}; // by NoteKind
    std::array<std::size_t, RoleCount> meeting{};
    std::array<std::size_t, RequirementCount> fallingShort{};
};

// A report's name: its file name without the extension (the host's name in
// the inventory or the list of computers).
std::string_view ReportName(std::string_view reportFile);

// Whether two host names are one, compared as Windows compares them (letters without case).
bool SameHostName(std::string_view a, std::string_view b);

// A name as the outputs show it: a NUL, which no real computer's name holds,
// written as messages write it (\x00), so nothing reading the CSV or the page
// takes it for the name's end; every other byte as it is.
std::string ShownName(std::string_view name);

// Every text of a fleet in one store, in blocks of 64 KiB that never move
// (a longer text has one of its own), so the store grows by what it holds
// and not by doubling.
class FleetTexts {
public:
    static constexpr unsigned LengthBits = 28; // a text is at most 256 MiB
    static constexpr unsigned OffsetBits = 16; // 64 KiB blocks
    static constexpr std::size_t MaxLength = (std::size_t{1} << LengthBits) - 1;

    // Keeps the text (its first MaxLength bytes: no text of a fleet comes near).
    TextHandle Keep(std::string_view text);
    std::string_view Text(TextHandle at) const
    {
        const auto block = static_cast<std::size_t>(at >> (OffsetBits + LengthBits));
        const auto offset = static_cast<std::size_t>((at >> LengthBits) & ((1u << OffsetBits) - 1u));
        const auto length = static_cast<std::size_t>(at & MaxLength);
        return std::string_view(blocks_[block].data() + offset, length);
    }

private:
    std::vector<std::string> blocks_;
};

// What a fleet holds while its reports and notes are read.
struct FleetParts {
    FleetTexts texts;
    std::deque<ReportRecord> reports;
    std::deque<NoteRecord> notes;
    std::size_t rejected = 0;
    bool expecting = false;
    std::vector<TextHandle> expected; // sorted without case, each name once
};

class FinishedFleet;

// The reports of a fleet, kept compactly: every text in one store, so what a
// report costs is its names and a few numbers, whatever its page held. What
// the outputs show comes from the FinishedFleet that Finish makes of it.
class Fleet {
public:
    void Add(const ReportContent& content, std::string_view reportFile);
    // A file that might have held a report and gave none: counted as rejected.
    void AddRejected() { ++parts_.rejected; }
    // The note `noteFile` (UTF-8) for its host; of two notes for one host, the first counts.
    void AddNote(const HostNote& note, std::string_view noteFile);

    // The hosts that should have a report; without a call, none are expected.
    void Expect(std::vector<std::string> hosts);

    // Sorts by computer name (letters without case, as Windows compares
    // computer names), then by report file; marks the reports that share a
    // computer name and those whose name is not expected; marks the notes
    // that have a report beside them; finds the hosts not assessed: those
    // with only a note, and those expected with neither; counts.
    FinishedFleet Finish() &&;

private:
    // A path as its folder's handle and its name's: the reports of one
    // folder, met one after another, share their folder's text.
    std::pair<TextHandle, TextHandle> KeepPath(std::string_view path);

    FleetParts parts_;
    std::optional<TextHandle> lastFolder_;
};

// A fleet whose reports are all read: in order, marked and counted.
class FinishedFleet {
public:
    // The names the fleet hands out point into its texts: it moves, but is never copied.
    FinishedFleet(FinishedFleet&&) = default;
    FinishedFleet(const FinishedFleet&) = delete;
    FinishedFleet& operator=(const FinishedFleet&) = delete;

    const std::deque<ReportRecord>& Machines() const { return parts_.reports; } // in the fleet's order
    std::string_view ComputerName(const ReportRecord& report) const { return Text(report.computer); }
    std::string ReportFile(const ReportRecord& report) const;
    std::string_view ReportNameOf(const ReportRecord& report) const { return ReportName(Text(report.file)); }
    bool Expecting() const { return parts_.expecting; }
    // Whether the hosts are accounted for, by a list of them or by notes:
    // then there is a list of the hosts not assessed, empty or not.
    bool AccountsForHosts() const { return parts_.expecting || !parts_.notes.empty(); }
    const std::deque<NoteRecord>& Notes() const { return parts_.notes; } // by host
    std::string NoteFile(const NoteRecord& note) const;
    const std::vector<NotAssessedHost>& NotAssessed() const { return notAssessed_; } // by name, without case
    const FleetCounts& Counts() const { return counts_; }

private:
    friend class Fleet;
    explicit FinishedFleet(FleetParts parts);

    std::string_view Text(TextHandle at) const { return parts_.texts.Text(at); }
    void Order();
    void MarkAndFindNotAssessed();
    void Count();

    FleetParts parts_;
    std::vector<NotAssessedHost> notAssessed_;
    FleetCounts counts_;
};

// "12 reports read, 1 rejected, 11 machines; Client: 9 of 12 meet it, ...",
// and with hosts expected "; 2 of 14 hosts expected not assessed". Where
// there are notes, the hosts not assessed by group: "; 3 of 14 hosts known
// not assessed (2 unreachable, 1 timed out)" (the reports and the notes are
// the hosts known), or "; 3 of 14 hosts expected not assessed and 1 not
// expected (...)".
std::string ClosingLine(const FleetCounts& counts);

} // namespace Talvane::Nimlo
