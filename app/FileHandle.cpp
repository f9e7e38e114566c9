#include "app/FileHandle.h"

#include "platform/SystemError.h"

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

} // namespace

void FileHandle::Write(const std::string& bytes)
{
    ThrowOnFailure(writer_.Write(bytes));
}

void FileHandle::Commit(BusyRetries& retries)
{
    ThrowOnFailure(writer_.Finish(retries));
}

FileHandle CreateReportFile(FileSystem& files, const std::u16string& reportName)
{
    return FileHandle(FileWriter(files, reportName, WriteWay::Replace, PendingReportLabel));
}

} // namespace Talvane::Nimlo
