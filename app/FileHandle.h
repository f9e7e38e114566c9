#pragma once

#include <optional>
#include <string>

#include "platform/FileSystem.h"

namespace Talvane::Nimlo {

// Owns at most one open platform file and closes it exactly once: by Close or
// on destruction, whichever comes first.
class FileHandle {
public:
    FileHandle(FileSystem& files, std::optional<NativeFile> file) : files_(&files), file_(file) {}
    FileHandle(FileHandle&& other) noexcept : files_(other.files_), file_(other.file_) { other.file_.reset(); }
    FileHandle& operator=(FileHandle&&) = delete;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { Close(); }

    bool IsOpen() const { return file_.has_value(); }

    // Writes every byte of `bytes` in one platform write, nothing else.
    // Throws std::runtime_error "Handle is null!" when no file is held and
    // "Failed to write file" when the write fails or comes up short.
    void Write(const std::string& bytes);

    // Hands what was written to the storage. Throws "Handle is null!" when
    // no file is held and "Failed to write file" when the platform fails.
    void Flush();

    void Close();

private:
    FileSystem* files_;
    std::optional<NativeFile> file_;
};

} // namespace Talvane::Nimlo
