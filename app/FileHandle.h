#pragma once

#include <cstdint>
#include <string>

#include "files/FileWriter.h"
#include "platform/Deadline.h"
#include "platform/FileSystem.h"

namespace Talvane::Nimlo {

// What the new report's name starts with after its "~", where it fits.
inline constexpr char PendingReportLabel[] = "Results.";

// How long a report held open by another program (a scanner, an indexer, a
// viewer) is tried again.
inline constexpr std::uint32_t BusyReportRetryMilliseconds = 5000;

// The report's file owner: at most one file being written (a FileWriter that
// replaces the report whole or not at all: until Commit the earlier report
// stays as it was), closed exactly once, by Close, by Commit or on
// destruction, whichever comes first. Its failures are SystemErrors in the
// words the run knows them by, each with the system's code where it gave one.
class FileHandle {
public:
    explicit FileHandle(FileWriter writer) : writer_(std::move(writer)) {}

    bool IsOpen() const { return writer_.IsOpen(); }

    // Writes every byte of `bytes`, nothing else. Throws "Handle is null!"
    // when no file is held (with the code of the failed creation) and
    // "Failed to write file" when the write fails or comes up short.
    void Write(const std::string& bytes);

    // Flushes and closes the file and gives it the report's name, trying
    // again for BusyReportRetryMilliseconds on `clock` while another program
    // holds the report open. Throws "Handle is null!" as Write does, "Failed
    // to write file" when the flush fails and "Failed to replace the report"
    // when the name cannot be given; the new file is removed then, and the
    // earlier report stays.
    void Commit(Clock& clock);

    // Closes the file, if one is held, and removes it: the earlier report stays.
    void Close() { writer_.Abandon(); }

private:
    FileWriter writer_;
};

// A new file beside `reportName` (a wide name, resolved against the current
// directory), to become the report; a FileHandle that holds none when no file
// can be created (nothing is thrown here but std::bad_alloc).
FileHandle CreateReportFile(FileSystem& files, const std::u16string& reportName);

} // namespace Talvane::Nimlo
