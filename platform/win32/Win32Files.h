#pragma once

#include <windows.h>

#include "platform/FileSystem.h"

namespace Talvane::Nimlo {

// The system calls the files go through. A test puts in its own to make a
// step fail as a full disk or a busy file would (with SetLastError).
struct Win32FileCalls {
    decltype(&::CreateFileW) createFile = &::CreateFileW;
    decltype(&::WriteFile) writeFile = &::WriteFile;
    decltype(&::FlushFileBuffers) flushFileBuffers = &::FlushFileBuffers;
    decltype(&::MoveFileExW) moveFileEx = &::MoveFileExW;
    decltype(&::DeleteFileW) deleteFile = &::DeleteFileW;
    decltype(&::CloseHandle) closeHandle = &::CloseHandle;
};

// Files through CreateFileW, WriteFile, FlushFileBuffers, CloseHandle,
// MoveFileExW, DeleteFileW and GetFileAttributesW; unforeseeable numbers from
// RtlGenRandom.
class Win32FileSystem final : public FileSystem {
public:
    explicit Win32FileSystem(const Win32FileCalls& calls = {}) : calls_(calls) {}

    NewFile CreateNew(const std::u16string& name) override;
    NewFile OpenExisting(const std::u16string& name) override;
    Written Write(NativeFile file, std::string_view bytes) override;
    FileStatus Flush(NativeFile file) override;
    FileStatus Close(NativeFile file) override;
    FileStatus Rename(const std::u16string& from, const std::u16string& to) override;
    FileStatus Remove(const std::u16string& name) override;
    EntryKind Kind(const std::u16string& name) override;
    std::optional<std::uint64_t> UnforeseeableNumber() override;

private:
    bool HeldOpenElsewhere(const std::u16string& name) const;

    Win32FileCalls calls_;
};

} // namespace Talvane::Nimlo
