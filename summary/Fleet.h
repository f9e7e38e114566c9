#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "report/ReportReader.h"
#include "summary/Counts.h"
#include "summary/FailedRequirements.h"
#include "summary/HostFiles.h"
#include "summary/TextStore.h"

namespace Talvane::Nimlo {

// What the summary keeps of one report once its rows are written out: where
// its texts are, and a bit per requirement.
struct ReportRecord {
    TextHandle computer = 0;       // the computer name, cut to KeptTextLimit
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
    TextHandle detail = 0; // cut to KeptTextLimit
    NoteKind kind = NoteKind::Other;
    bool besideReport = false; // a report has the host's name: the host is counted from it
};

// A host not assessed, as the outputs show it.
struct NotAssessedHost {
    std::string_view name;   // as the hosts expected spell it, where they name it
    NoteKind kind;           // NoRecord: expected, and neither a report nor a note
    std::string_view detail; // the note's, cut to KeptTextLimit
    bool unexpected;         // hosts were expected, and this one is not
};

// What a fleet holds while its reports and notes are read.
struct FleetParts {
    TextStore texts;
    std::deque<ReportRecord> reports;
    std::deque<NoteRecord> notes;
    std::size_t rejected = 0;
    bool expecting = false;
    std::vector<TextHandle> expected; // sorted without case, each name once
};

// What the fleet keeps of a report's content, made where the page was parsed,
// so that the page's many texts are freed there: the computer name as kept
// (cut to KeptTextLimit), the whole name's key, and the requirements the
// report falls short of.
struct ReportDigest {
    std::string computer;
    std::uint64_t computerKey = 0;
    FailedRequirements failed;
};

ReportDigest DigestReport(const ReportContent& content);

class FinishedFleet;

// The reports of a fleet, kept compactly: every text in one store, so what a
// report costs is its names and a few numbers, whatever its page held. What
// the outputs show comes from the FinishedFleet that Finish makes of it.
class Fleet {
public:
    void Add(const ReportContent& content, std::string_view reportFile) { Add(DigestReport(content), reportFile); }
    void Add(const ReportDigest& digest, std::string_view reportFile);
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

    // Every report read, by computer name; reports that name one machine are each there.
    const std::deque<ReportRecord>& Reports() const { return parts_.reports; }
    std::string_view ComputerName(const ReportRecord& report) const { return Text(report.computer); }
    std::string ReportFile(const ReportRecord& report) const;
    std::string_view ReportNameOf(const ReportRecord& report) const { return ReportName(Text(report.file)); }
    std::size_t Rejected() const { return parts_.rejected; }
    bool Expecting() const { return parts_.expecting; }
    std::size_t ExpectedCount() const { return parts_.expected.size(); }
    // Whether the hosts are accounted for, by a list of them or by notes:
    // then there is a list of the hosts not assessed, empty or not.
    bool AccountsForHosts() const { return parts_.expecting || !parts_.notes.empty(); }
    const std::deque<NoteRecord>& Notes() const { return parts_.notes; } // by host, one a host
    std::string NoteFile(const NoteRecord& note) const;
    const std::vector<NotAssessedHost>& NotAssessed() const { return notAssessed_; } // by name, without case
    const FleetCounts& Counts() const { return counts_; }

private:
    friend class Fleet;
    explicit FinishedFleet(FleetParts parts);

    std::string_view Text(TextHandle at) const { return parts_.texts.Text(at); }
    void Order();
    void MarkAndFindNotAssessed();

    FleetParts parts_;
    std::vector<NotAssessedHost> notAssessed_;
    FleetCounts counts_;
};

} // namespace Talvane::Nimlo
