#pragma once

#include "platform/FileSystem.h"

namespace Talvane::Nimlo {

// Files through CreateFileW, WriteFile, FlushFileBuffers, CloseHandle,
// MoveFileExW, DeleteFileW and GetFileAttributesW; unforeseeable numbers from
// RtlGenRandom.
class Win32FileSystem : public FileSystem {
public:
    NewFile CreateNew(const std::u16string& name) override;
    Written Write(NativeFile file, std::string_view bytes) override;
    FileStatus Flush(NativeFile file) override;
    void Close(NativeFile file) override;
    FileStatus Rename(const std::u16string& from, const std::u16string& to) override;
    FileStatus Remove(const std::u16string& name) override;
    EntryKind Kind(const std::u16string& name) override;
    std::optional<std::uint64_t> UnforeseeableNumber() override;
};

} // namespace Talvane::Nimlo
