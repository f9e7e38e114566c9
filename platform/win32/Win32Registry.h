#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/Registry.h"
#include "platform/UniqueValue.h"

namespace Talvane::Nimlo {

// Sole owner of one open registry key, closed exactly once.
using UniqueKey = UniqueValue<HKEY, &::RegCloseKey>;

// HKEY_LOCAL_MACHINE of the machine the program runs on.
class Win32Registry : public Registry {
public:
    bool IsWow64Process() override;
    KeyOpen OpenLocalMachineKey(const std::u16string& path, std::uint32_t accessMask) override;
};

} // namespace Talvane::Nimlo
