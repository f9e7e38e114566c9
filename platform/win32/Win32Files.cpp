#include "platform/win32/Win32Files.h"

#include <windows.h>

#include "platform/win32/WideString.h"

namespace Talvane::Nimlo {
namespace {

HANDLE ToHandle(NativeFile file)
{
    // The seam keeps handles as integers; this is the one place they turn back.
    return reinterpret_cast<HANDLE>(file); // NOLINT(performance-no-int-to-ptr)
}

} // namespace

std::optional<NativeFile> Win32FileSystem::CreateAlways(const std::u16string& name)
{
    const HANDLE handle = CreateFileW(AsWide(name), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    return reinterpret_cast<NativeFile>(handle);
}

bool Win32FileSystem::Write(NativeFile file, std::string_view bytes, std::uint32_t& written)
{
    DWORD count = 0;
    const BOOL ok = WriteFile(ToHandle(file), bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr);
    written = count;
    return ok != FALSE;
}

void Win32FileSystem::Close(NativeFile file)
{
    CloseHandle(ToHandle(file));
}

} // namespace Talvane::Nimlo
