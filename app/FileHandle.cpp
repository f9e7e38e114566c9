#include "app/FileHandle.h"

#include "files/BusyRetries.h"
#include "platform/SystemError.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

// The run's words for the step that failed.
const char* Action(WriteStep step)
{
    switch (step) {
    case WriteStep::Create:
        return "Handle is null!";
    case WriteStep::Rename:
        return "Failed to replace the report";
    default:
        return "Failed to write file";
    }
}

void ThrowOnFailure(const WriteResult& result)
{
    if (!result) {
        throw SystemError(Action(result.error().step), result.error().code);
    }
}

// A wide name as the platform's calls take it: its UTF-16 units on Windows,
// UTF-8 on POSIX.
FilePath PathOf(const std::u16string& name)
{
#ifdef _WIN32
    return FilePath(name.begin(), name.end());
#else
    return ToUtf8(name);
#endif
}

} // namespace

void FileHandle::Write(const std::string& bytes)
{
    ThrowOnFailure(writer_.Write(bytes));
}

void FileHandle::Commit(Clock& clock)
{
    BusyRetries retries(clock, BusyReportRetryMilliseconds);
    ThrowOnFailure(writer_.Finish(retries));
}

FileHandle CreateReportFile(FileSystem& files, const std::u16string& reportName)
{
    return FileHandle(FileWriter(files, PathOf(reportName), WriteWay::Replace, PendingReportLabel));
}

} // namespace Talvane::Nimlo
