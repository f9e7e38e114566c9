#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace Talvane::Nimlo {

// Status codes as the registry returns them.
inline constexpr long RegistrySuccess = 0;    // ERROR_SUCCESS
inline constexpr long RegistryNotFound = 2;   // ERROR_FILE_NOT_FOUND
inline constexpr long RegistryMoreData = 234; // ERROR_MORE_DATA

// Access masks of the registry view rule.
inline constexpr std::uint32_t KeyRead = 0x20019;         // KEY_READ
inline constexpr std::uint32_t KeyReadNative64 = 0x20119; // KEY_READ | KEY_WOW64_64KEY

// What reading a value gave: the registry's status (RegistrySuccess,
// RegistryNotFound, RegistryMoreData when it does not fit, or another code)
// and the size in bytes the registry reported. Where it reports none (a
// missing value) the size is the room that was offered.
struct ValueRead {
    long status = RegistryNotFound;
    std::uint32_t size = 0;
};

// An open key under HKEY_LOCAL_MACHINE; closed when destroyed.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;

    // Reads the value's bytes into `buffer` without looking at its type.
    virtual ValueRead QueryValue(const std::u16string& name, std::span<std::byte> buffer) = 0;
};

// What opening a key gave: the registry's status, and the key when it is
// RegistrySuccess.
struct KeyOpen {
    long status = RegistryNotFound;
    std::unique_ptr<RegistryKey> key;
};

// Read-only access to HKEY_LOCAL_MACHINE.
class Registry {
public:
    virtual ~Registry() = default;

    // True for a 32-bit process on 64-bit Windows. A failed question counts as false.
    virtual bool IsWow64Process() = 0;

    // Opens `path` under HKEY_LOCAL_MACHINE with `accessMask`.
    virtual KeyOpen OpenLocalMachineKey(const std::u16string& path, std::uint32_t accessMask) = 0;
};

// The access mask every probe uses: the native 64-bit view for a 32-bit
// process on 64-bit Windows, the default view otherwise. Asks afresh each call.
inline std::uint32_t RegistryView(Registry& registry)
{
    return registry.IsWow64Process() ? KeyReadNative64 : KeyRead;
}

} // namespace Talvane::Nimlo
