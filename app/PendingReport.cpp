#include "app/PendingReport.h"

#include "platform/SystemError.h"

namespace Talvane::Nimlo {

PendingReport::PendingReport(FileSystem& files, Clock& clock, const std::u16string& reportName)
    : retries_(clock, BusyReportRetryMilliseconds)
    , replacement_(files, reportName, PendingReportLabel)
    , file_(files, replacement_.TakeFile(), replacement_.CreationError())
{}

void PendingReport::Write(const std::string& bytes)
{
    file_.Write(bytes);
}

void PendingReport::Commit()
{
    file_.Flush();
    file_.Close();
    if (const FileStatus placed = replacement_.PutInPlace(retries_); !placed.Done()) {
        throw Win32Error(placed.error, "Failed to replace the report");
    }
}

} // namespace Talvane::Nimlo
