#include "app/FileHandle.h"

#include <limits>
#include <stdexcept>

namespace Talvane::Nimlo {

void FileHandle::Write(const std::string& bytes)
{
    if (!file_) {
        throw std::runtime_error("Handle is null!");
    }
    if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw std::runtime_error("Failed to write file");
    }
    const std::optional<std::uint32_t> written = files_->Write(*file_, bytes);
    if (!written || *written != bytes.size()) {
        throw std::runtime_error("Failed to write file");
    }
}

void FileHandle::Flush()
{
    if (!file_) {
        throw std::runtime_error("Handle is null!");
    }
    if (!files_->Flush(*file_)) {
        throw std::runtime_error("Failed to write file");
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
