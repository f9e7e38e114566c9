#pragma once

#include <cstdint>
#include <string>

#include "app/FileHandle.h"
#include "files/FileReplacement.h"
#include "platform/Deadline.h"
#include "platform/FileSystem.h"

namespace Talvane::Nimlo {

// How long a report held open by another program (a scanner, an indexer, a
// viewer) is tried again.
inline constexpr std::uint32_t BusyReportRetryMilliseconds = 5000;

// What the new report's name starts with after its "~", where it fits.
inline constexpr char16_t PendingReportLabel[] = u"Results.";

// The program's report, written whole or not at all (see FileReplacement):
// until Commit the earlier report stays as it was.
class PendingReport {
public:
    // Creates the new file beside `reportName`; when no name can be had,
    // holds none, and Write throws "Handle is null!". Nothing is thrown here
    // but std::bad_alloc.
    PendingReport(FileSystem& files, Clock& clock, const std::u16string& reportName);

    // As FileHandle::Write.
    void Write(const std::string& bytes);

    // Flushes and closes the file and gives it the report's name, trying
    // again for BusyReportRetryMilliseconds while another program holds the
    // report open. Throws Win32Error "Failed to write file" when the flush
    // fails and "Failed to replace the report" when the name cannot be
    // given, each with the platform's code; the new file is removed then.
    void Commit();

private:
    BusyRetries retries_;
    FileReplacement replacement_;
    FileHandle file_; // closed before the replacement goes
};

} // namespace Talvane::Nimlo
