#pragma once

#include "platform/FileSystem.h"

namespace Talvane::Nimlo {

// Files through CreateFileW, WriteFile, FlushFileBuffers, CloseHandle,
// MoveFileExW and DeleteFileW; unforeseeable numbers from RtlGenRandom.
class Win32FileSystem : public FileSystem {
public:
    NewFile CreateNew(const std::u16string& name) override;
    std::optional<std::uint32_t> Write(NativeFile file, std::string_view bytes) override;
    bool Flush(NativeFile file) override;
    void Close(NativeFile file) override;
    bool Rename(const std::u16string& from, const std::u16string& to) override;
    bool Remove(const std::u16string& name) override;
    std::optional<std::uint64_t> UnforeseeableNumber() override;
};

} // namespace Talvane::Nimlo
