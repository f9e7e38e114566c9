#pragma once

#include "platform/FileSystem.h"

namespace Talvane::Nimlo {

// Files through CreateFileW / WriteFile / CloseHandle.
class Win32FileSystem : public FileSystem {
public:
    std::optional<NativeFile> CreateAlways(const std::u16string& name) override;
    std::optional<std::uint32_t> Write(NativeFile file, std::string_view bytes) override;
    void Close(NativeFile file) override;
};

} // namespace Talvane::Nimlo
