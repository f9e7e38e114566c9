#pragma once

#include <cstdint>
#include <string>

#include "app/FileHandle.h"
#include "files/BusyRetries.h"
#include "platform/Deadline.h"
#include "platform/FileSystem.h"

namespace Talvane::Nimlo {

// How long a report held open by another program (a scanner, an indexer, a
// viewer) is tried again.
inline constexpr std::uint32_t BusyReportRetryMilliseconds = 5000;

// The program's report, written whole or not at all (see FileWriter): until
// Commit the earlier report stays as it was.
class PendingReport {
public:
    // Creates the new file beside `reportName` (CreateReportFile).
    PendingReport(FileSystem& files, Clock& clock, const std::u16string& reportName)
        : retries_(clock, BusyReportRetryMilliseconds)
        , file_(CreateReportFile(files, reportName))
    {}

    // As FileHandle::Write.
    void Write(const std::string& bytes) { file_.Write(bytes); }

    // As FileHandle::Commit, trying again for BusyReportRetryMilliseconds.
    void Commit() { file_.Commit(retries_); }

private:
    BusyRetries retries_;
    FileHandle file_;
};

} // namespace Talvane::Nimlo
