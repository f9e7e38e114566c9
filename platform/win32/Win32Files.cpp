#include "platform/win32/Win32Files.h"

#include <windows.h>

#include "platform/win32/WideString.h"

namespace Talvane::Nimlo {
namespace {

HANDLE ToHandle(NativeFile file)
{
    // The seam keeps handles as integers; this is the one place they turn back.
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(file)); // NOLINT(performance-no-int-to-ptr)
}

} // namespace

std::optional<NativeFile> Win32FileSystem::CreateAlways(const std::u16string& name)
{
    const HANDLE handle = CreateFileW(AsWide(name), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    return NativeFile{reinterpret_cast<std::uintptr_t>(handle)};
}

std::optional<std::uint32_t> Win32FileSystem::Write(NativeFile file, std::string_view bytes)
{
    DWORD count = 0;
    if (!WriteFile(ToHandle(file), bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr)) {
        return std::nullopt;
    }
    return count;
}

void Win32FileSystem::Close(NativeFile file)
{
    CloseHandle(ToHandle(file));
}

} // namespace Talvane::Nimlo
