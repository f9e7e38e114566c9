#include "app/FileHandle.h"

#include <limits>

#include "platform/SystemError.h"

namespace Talvane::Nimlo {

void FileHandle::Write(const std::string& bytes)
{
    if (!file_) {
        throw Win32Error(openError_, "Handle is null!");
    }
    if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw Win32Error(0, "Failed to write file");
    }
    const Written written = files_->Write(*file_, bytes);
    if (written.error != 0 || written.count != bytes.size()) {
        throw Win32Error(written.error, "Failed to write file");
    }
}

void FileHandle::Flush()
{
    if (!file_) {
        throw Win32Error(openError_, "Handle is null!");
    }
    if (const FileStatus flushed = files_->Flush(*file_); !flushed.Done()) {
        throw Win32Error(flushed.error, "Failed to write file");
    }
}

void FileHandle::Close()
{
    if (file_) {
        const NativeFile file = *file_;
        file_.reset();
        files_->Close(file);
    }
}

} // namespace Talvane::Nimlo
