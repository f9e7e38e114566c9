#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/FileSystem.h"

namespace Talvane::Nimlo {

// Owns at most one open platform file and closes it exactly once: by Close or
// on destruction, whichever comes first.
class FileHandle {
public:
    // `openError` is the platform's code for why no file is held, if known.
    FileHandle(FileSystem& files, std::optional<NativeFile> file, std::uint32_t openError = 0)
        : files_(&files)
        , file_(file)
        , openError_(openError)
    {}
    FileHandle(FileHandle&& other) noexcept : files_(other.files_), file_(other.file_), openError_(other.openError_)
    {
        other.file_.reset();
    }
    FileHandle& operator=(FileHandle&&) = delete;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { Close(); }

    bool IsOpen() const { return file_.has_value(); }

    // Writes every byte of `bytes` in one platform write, nothing else.
    // Throws Win32Error "Handle is null!" when no file is held (with the code
    // of the failed creation) and "Failed to write file" when the write fails
    // (with its code) or comes up short (without one).
    void Write(const std::string& bytes);

    // Hands what was written to the storage. Throws "Handle is null!" when
    // no file is held and "Failed to write file" with the platform's code
    // when the platform fails.
    void Flush();

    void Close();

private:
    FileSystem* files_;
    std::optional<NativeFile> file_;
    std::uint32_t openError_;
};

} // namespace Talvane::Nimlo
