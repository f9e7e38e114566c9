#include "platform/win32/Win32Files.h"

// After windows.h: RtlGenRandom, exported by advapi32 as SystemFunction036 (XP on).
#include <ntsecapi.h>

#include <algorithm>

#include "platform/win32/WideString.h"

namespace Talvane::Nimlo {
namespace {

// The most one WriteFile is handed.
constexpr std::size_t LargestWrite = 1u << 20;

HANDLE ToHandle(NativeFile file)
{
    // The seam keeps handles as integers; this is the one place they turn back.
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(file)); // NOLINT(performance-no-int-to-ptr)
}

NativeFile ToNative(HANDLE handle)
{
    return NativeFile{reinterpret_cast<std::uintptr_t>(handle)};
}

// The calling thread's last error, as the code of a call that just failed.
SystemCode LastError()
{
    const DWORD error = GetLastError();
    return SystemCode::Win32(error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE); // a failure is never "success"
}

FileStatus StatusOf(BOOL succeeded)
{
    if (succeeded) {
        return {};
    }
    return Failure(FileFailure{LastError()});
}

NewFile Opened(HANDLE handle)
{
    if (handle == INVALID_HANDLE_VALUE) {
        const SystemCode error = LastError();
        return Failure(
            FileFailure{error, false, error.value == ERROR_FILE_EXISTS || error.value == ERROR_ALREADY_EXISTS});
    }
    return ToNative(handle);
}

} // namespace

// Whether another program has `name` open without letting it be deleted:
// opening it for deletion then meets a sharing violation, where a refusal of
// permission would be "access denied" again.
bool Win32FileSystem::HeldOpenElsewhere(const std::u16string& name) const
{
    const HANDLE handle =
        calls_.createFile(AsWide(name), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_SHARING_VIOLATION;
    }
    calls_.closeHandle(handle);
    return false;
}

NewFile Win32FileSystem::CreateNew(const std::u16string& name)
{
    return Opened(calls_.createFile(AsWide(name), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

NewFile Win32FileSystem::OpenExisting(const std::u16string& name)
{
    return Opened(calls_.createFile(AsWide(name), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
}

Written Win32FileSystem::Write(NativeFile file, std::string_view bytes)
{
    std::uint32_t total = 0;
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min(bytes.size(), LargestWrite));
        DWORD count = 0;
        if (!calls_.writeFile(ToHandle(file), bytes.data(), chunk, &count, nullptr)) {
            return {total, LastError()};
        }
        total += count;
        if (count < chunk) {
            return {total, std::nullopt};
        }
        bytes.remove_prefix(count);
    }
    return {total, std::nullopt};
}

FileStatus Win32FileSystem::Flush(NativeFile file)
{
    return StatusOf(calls_.flushFileBuffers(ToHandle(file)));
}

FileStatus Win32FileSystem::Close(NativeFile file)
{
    return StatusOf(calls_.closeHandle(ToHandle(file)));
}

FileStatus Win32FileSystem::Rename(const std::u16string& from, const std::u16string& to)
{
    // A rename within the folder: the entry `to` is replaced, whatever it is
    // a link to, and the target of a link keeps its bytes.
    if (calls_.moveFileEx(AsWide(from), AsWide(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return {};
    }
    const SystemCode error = LastError();
    const bool inUse = error.value == ERROR_SHARING_VIOLATION || error.value == ERROR_LOCK_VIOLATION ||
                       (error.value == ERROR_ACCESS_DENIED && HeldOpenElsewhere(to));
    return Failure(FileFailure{error, inUse});
}

FileStatus Win32FileSystem::Remove(const std::u16string& name)
{
    return StatusOf(calls_.deleteFile(AsWide(name)));
}

EntryKind Win32FileSystem::Kind(const std::u16string& name)
{
    const DWORD attributes = GetFileAttributesW(AsWide(name));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return EntryKind::Missing;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return EntryKind::Other;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return EntryKind::Folder;
    }
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) {
        return EntryKind::Other;
    }
    return (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? EntryKind::ReadOnlyFile : EntryKind::File;
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
