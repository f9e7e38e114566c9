#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/FileHandle.h"
#include "platform/Deadline.h"
#include "platform/FileSystem.h"

namespace Talvane::Nimlo {

// How many fresh names are tried before the new file is given up.
inline constexpr int PendingReportNameTries = 16;

// How long a report held open by another program (a scanner, an indexer, a
// viewer) is tried again, and the longest pause between two tries.
inline constexpr std::uint32_t BusyReportRetryMilliseconds = 5000;
inline constexpr std::uint32_t BusyReportLongestPause = 500;

// The name of a new report while it is written: in the report's folder, made
// from `number`, never longer than the report's own name (so that a folder
// whose path leaves room for the report leaves room for it), and never ending
// like a page (.htm, .html), so nothing that collects pages takes a
// half-written one for a report.
std::u16string PendingReportName(std::uint64_t number);

// A report written whole or not at all. The bytes go into a new file of its
// own, created under a name nobody can have prepared; only once every byte is
// written and flushed does that file take the report's name, in one step that
// replaces the name itself and never writes through a link planted there.
// Until then the earlier report stays as it was, and a new file that never
// took the name is removed when its owner goes.
class PendingReport {
public:
    // Creates the new file; when no name can be had, holds none, and Write
    // throws "Handle is null!". Nothing is thrown here but std::bad_alloc.
    PendingReport(FileSystem& files, Clock& clock);
    PendingReport(const PendingReport&) = delete;
    PendingReport& operator=(const PendingReport&) = delete;
    ~PendingReport();

    // As FileHandle::Write.
    void Write(const std::string& bytes);

    // Flushes and closes the file and gives it `reportName`. While another
    // program holds the report open and it is a regular file that is not
    // read-only, the renaming is tried again for BusyReportRetryMilliseconds,
    // with pauses growing from 100 ms to BusyReportLongestPause. Throws
    // Win32Error "Failed to write file" when the flush fails and "Failed to
    // replace the report" when the name cannot be given, each with the
    // platform's code; the new file is removed then.
    void Commit(const std::u16string& reportName);

private:
    struct Created {
        std::u16string name;
        std::optional<NativeFile> file;
        std::uint32_t error = 0;
    };
    static Created CreateUnderFreshName(FileSystem& files);
    PendingReport(FileSystem& files, Clock& clock, Created&& created);

    FileSystem* files_;
    Clock* clock_;
    std::u16string name_; // empty once nothing is left to remove
    FileHandle file_;
};

} // namespace Talvane::Nimlo
