#include "platform/win32/Win32Registry.h"

#include <utility>

#include "platform/win32/WideString.h"

namespace Talvane::Nimlo {
namespace {

class Win32RegistryKey : public RegistryKey {
public:
    explicit Win32RegistryKey(UniqueKey key) : key_(std::move(key)) {}

    ValueRead QueryValue(const std::u16string& name, std::span<std::byte> buffer) override
    {
        auto bytes = static_cast<DWORD>(buffer.size());
        const LSTATUS status = ::RegQueryValueExW(key_.get(), AsWide(name), nullptr, nullptr,
                                                  reinterpret_cast<BYTE*>(buffer.data()), &bytes);
        return {status, bytes};
    }

private:
    UniqueKey key_;
};

} // namespace

bool Win32Registry::IsWow64Process()
{
    BOOL wow64 = FALSE;
    if (!::IsWow64Process(::GetCurrentProcess(), &wow64)) {
        return false;
    }
    return wow64 != FALSE;
}

KeyOpen Win32Registry::OpenLocalMachineKey(const std::u16string& path, std::uint32_t accessMask)
{
    UniqueKey opened;
    const LSTATUS status = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, AsWide(path), 0, accessMask, opened.put());
    if (status != ERROR_SUCCESS) {
        opened.release(); // whatever a failed open left there is not a key of ours
        return {status, nullptr};
    }
    return {status, std::make_unique<Win32RegistryKey>(std::move(opened))};
}

} // namespace Talvane::Nimlo
