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

// An open key under HKEY_LOCAL_MACHINE; closed when destroyed.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;

    // Reads the value's bytes into `buffer` without looking at its type.
    // `size` receives the number of bytes written. Returns the registry's
    // status: RegistrySuccess, RegistryNotFound, RegistryMoreData (does not
    // fit) or another code.
    virtual long QueryValue(const std::u16string& name, std::span<std::byte> buffer, std::uint32_t& size) = 0;
};

// Read-only access to HKEY_LOCAL_MACHINE.
class Registry {
public:
    virtual ~Registry() = default;

    // True for a 32-bit process on 64-bit Windows. A failed question counts as false.
    virtual bool IsWow64Process() = 0;

    // Opens `path` under HKEY_LOCAL_MACHINE with `accessMask`. On success
    // `key` holds the open key; the registry's status is returned either way.
    virtual long OpenLocalMachineKey(const std::u16string& path, std::uint32_t accessMask,
                                     std::unique_ptr<RegistryKey>& key) = 0;
};

// The access mask every probe uses: the native 64-bit view for a 32-bit
// process on 64-bit Windows, the default view otherwise. Asks afresh each call.
inline std::uint32_t RegistryView(Registry& registry)
{
    return registry.IsWow64Process() ? KeyReadNative64 : KeyRead;
}

} // namespace Talvane::Nimlo
