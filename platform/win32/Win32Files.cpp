#include "platform/win32/Win32Files.h"

#include <windows.h>
// After windows.h: RtlGenRandom, exported by advapi32 as SystemFunction036 (XP on).
#include <ntsecapi.h>

#include "platform/win32/WideString.h"

namespace Talvane::Nimlo {
namespace {

HANDLE ToHandle(NativeFile file)
{
    // The seam keeps handles as integers; this is the one place they turn back.
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(file)); // NOLINT(performance-no-int-to-ptr)
}

} // namespace

NewFile Win32FileSystem::CreateNew(const std::u16string& name)
{
    const HANDLE handle = CreateFileW(AsWide(name), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return {std::nullopt, error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS};
    }
    return {NativeFile{reinterpret_cast<std::uintptr_t>(handle)}, false};
}

std::optional<std::uint32_t> Win32FileSystem::Write(NativeFile file, std::string_view bytes)
{
    DWORD count = 0;
    if (!WriteFile(ToHandle(file), bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr)) {
        return std::nullopt;
    }
    return count;
}

bool Win32FileSystem::Flush(NativeFile file)
{
    return FlushFileBuffers(ToHandle(file)) != FALSE;
}

void Win32FileSystem::Close(NativeFile file)
{
    CloseHandle(ToHandle(file));
}

bool Win32FileSystem::Rename(const std::u16string& from, const std::u16string& to)
{
    // A rename within the folder: the entry `to` is replaced, whatever it is
    // a link to, and the target of a link keeps its bytes.
    return MoveFileExW(AsWide(from), AsWide(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool Win32FileSystem::Remove(const std::u16string& name)
{
    return DeleteFileW(AsWide(name)) != FALSE;
}

std::optional<std::uint64_t> Win32FileSystem::UnforeseeableNumber()
{
    std::uint64_t number = 0;
    if (!RtlGenRandom(&number, sizeof number)) {
        return std::nullopt;
    }
    return number;
}

} // namespace Talvane::Nimlo
