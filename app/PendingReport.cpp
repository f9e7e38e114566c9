#include "app/PendingReport.h"

#include <algorithm>

#include "platform/SystemError.h"
#include "text/NumberFormat.h"

namespace Talvane::Nimlo {

// The new file and its name; no file and no name when none could be had, with
// the platform's code for the last refusal.
PendingReport::Created PendingReport::CreateUnderFreshName(FileSystem& files)
{
    std::uint32_t error = 0;
    for (int attempt = 0; attempt < PendingReportNameTries; ++attempt) {
        const std::optional<std::uint64_t> number = files.UnforeseeableNumber();
        if (!number) {
            break;
        }
        std::u16string name = PendingReportName(*number);
        const NewFile created = files.CreateNew(name);
        if (created.file) {
            return {std::move(name), created.file, 0};
        }
        error = created.error;
        if (!created.nameTaken) {
            break;
        }
    }
    return {{}, std::nullopt, error};
}

std::u16string PendingReportName(std::uint64_t number)
{
    std::u16string name = u"~Results.";
    return name.append(WidenAscii(FormatHex64(number))).append(u".tmp");
}

PendingReport::PendingReport(FileSystem& files, Clock& clock) : PendingReport(files, clock, CreateUnderFreshName(files))
{}

PendingReport::PendingReport(FileSystem& files, Clock& clock, Created&& created)
    : files_(&files)
    , clock_(&clock)
    , name_(std::move(created.name))
    , file_(files, created.file, created.error)
{}

PendingReport::~PendingReport()
{
    file_.Close();
    if (!name_.empty()) {
        files_->Remove(name_);
    }
}

void PendingReport::Write(const std::string& bytes)
{
    file_.Write(bytes);
}

void PendingReport::Commit(const std::u16string& reportName)
{
    file_.Flush();
    file_.Close();
    const std::uint32_t start = clock_->Ticks();
    std::uint32_t pause = 100;
    for (;;) {
        const FileStatus renamed = files_->Rename(name_, reportName);
        if (renamed.Done()) {
            break;
        }
        const std::uint32_t elapsed = clock_->Ticks() - start;
        if (!renamed.inUse || elapsed >= BusyReportRetryMilliseconds || files_->Kind(reportName) != EntryKind::File) {
            throw Win32Error(renamed.error, "Failed to replace the report");
        }
        clock_->Sleep(std::min(pause, BusyReportRetryMilliseconds - elapsed));
        pause = std::min(pause + 100, BusyReportLongestPause);
    }
    name_.clear();
}

} // namespace Talvane::Nimlo
