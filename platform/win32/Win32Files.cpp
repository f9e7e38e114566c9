#include "platform/win32/Win32Files.h"

// After windows.h: RtlGenRandom, exported by advapi32 as SystemFunction036 (XP on).
#include <ntsecapi.h>

#include <algorithm>

#include "platform/ReservedDeviceNames.h"
#include "platform/win32/UniqueFileHandle.h"

namespace Talvane::Nimlo {
namespace {

// The most one WriteFile is handed.
constexpr std::size_t LargestWrite = 1u << 20;

// ERROR_CANT_RESOLVE_FILENAME: a name that leads through too many links.
constexpr DWORD LinkLoop = 1921;

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE ToHandle(NativeFile file)
{
    // The seam keeps handles as integers; this is the one place they turn back.
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(file)); // NOLINT(performance-no-int-to-ptr)
}

NativeFile ToNative(HANDLE handle)
{
    return NativeFile{reinterpret_cast<std::uintptr_t>(handle)};
}

// A call that failed with `error` (never "success" for a failure), in the
// words a user knows it by where there are some.
SystemError Failed(DWORD error)
{
    const SystemCode code = SystemCode::Win32(error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE);
    switch (error) {
    case ERROR_ACCESS_DENIED:
        return SystemError::OfCall(code, "permission denied");
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return SystemError::OfCall(code, "in use by another program", Condition::InUse);
    case LinkLoop:
        return SystemError::OfCall(code, "a link that loops, or too many links in a row");
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return SystemError::OfCall(code, "", Condition::NameTaken);
    default:
        return SystemError::OfCall(code);
    }
}

// The calling thread's last error, as the failure of a call that just failed.
SystemError LastError()
{
    return Failed(GetLastError());
}

FileStatus StatusOf(BOOL succeeded)
{
    if (succeeded) {
        return {};
    }
    return Failure(LastError());
}

FileResult<NativeFile> Opened(HANDLE handle)
{
    if (handle == INVALID_HANDLE_VALUE) {
        return Failure(LastError());
    }
    return ToNative(handle);
}

bool IsMissing(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ||
           error == ERROR_BAD_NETPATH || error == ERROR_BAD_NET_NAME;
}

// Whether the path's last name is a device whatever its folder ("con.html").
bool IsReserved(const FilePath& path)
{
    const std::size_t folder = path.find_last_of(L"\\/:");
    const std::wstring_view name = std::wstring_view(path).substr(folder == FilePath::npos ? 0 : folder + 1);
    return IsReservedDeviceName(std::u16string(name.begin(), name.end()));
}

std::uint64_t Size(const BY_HANDLE_FILE_INFORMATION& information)
{
    return (static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
}

// A call the program's table leaves out: it fails as a call the system lacks would.
template <class Answer, class... Arguments> Answer WINAPI LeftOut(Arguments...)
{
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return Answer{};
}

HANDLE WINAPI NoSearch(LPCWSTR, LPWIN32_FIND_DATAW)
{
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return INVALID_HANDLE_VALUE;
}

// The search FindFirstFileW began, ended with the table's FindClose exactly once.
class FoundNames {
public:
    FoundNames(const Win32FileCalls& calls, const FilePath& pattern, WIN32_FIND_DATAW& found)
        : calls_(calls)
        , search_(calls.findFirstFile(pattern.c_str(), &found))
    {}
    FoundNames(const FoundNames&) = delete;
    FoundNames& operator=(const FoundNames&) = delete;
    ~FoundNames()
    {
        if (search_ != INVALID_HANDLE_VALUE) {
            calls_.findClose(search_);
        }
    }

    explicit operator bool() const { return search_ != INVALID_HANDLE_VALUE; }
    bool Next(WIN32_FIND_DATAW& found) const { return calls_.findNextFile(search_, &found) != FALSE; }

private:
    const Win32FileCalls& calls_;
    HANDLE search_;
};

} // namespace

Win32FileCalls Win32FileCalls::WritingOnly()
{
    return {&::CreateFileW,
            &::WriteFile,
            &::FlushFileBuffers,
            &::MoveFileExW,
            &::DeleteFileW,
            &::CloseHandle,
            &::GetFileAttributesW,
            &LeftOut<DWORD, HANDLE>,
            &LeftOut<BOOL, HANDLE, LPBY_HANDLE_FILE_INFORMATION>,
            &LeftOut<BOOL, HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED>,
            &NoSearch,
            &LeftOut<BOOL, HANDLE, LPWIN32_FIND_DATAW>,
            &LeftOut<BOOL, HANDLE>,
            &LeftOut<BOOL, LPCWSTR, LPSECURITY_ATTRIBUTES>};
}

std::int64_t UnixSeconds(FILETIME time)
{
    // Both in whole seconds from 1601 on, so an earlier time comes out whole too.
    constexpr std::int64_t From1601To1970 = 11644473600;
    const std::uint64_t ticks = (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / 10000000u) - From1601To1970;
}

FileResult<Entry> Win32FileSystem::Examine(const FilePath& path, Links links)
{
    Entry entry;
    if (IsReserved(path)) {
        entry.type = EntryType::Other;
        return entry;
    }
    const DWORD attributes = calls_.getFileAttributes(path.c_str());
    const DWORD attributesError = GetLastError();
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        entry.isLink = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entry.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    }
    if (links == Links::Keep) {
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            if (!IsMissing(attributesError)) {
                return Failure(Failed(attributesError));
            }
            return entry;
        }
        const bool other = entry.isLink || (attributes & FILE_ATTRIBUTE_DEVICE) != 0;
        entry.type = other                                          ? EntryType::Other
                     : (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryType::Folder
                                                                    : EntryType::Regular;
        return entry;
    }
    // No access asked for: nothing is read, and what the name leads to is opened through every link.
    const UniqueFileHandle handle(
        calls_.createFile(path.c_str(), 0, ShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) {
        const DWORD error = GetLastError();
        if (!IsMissing(error)) {
            return Failure(Failed(error));
        }
        return entry;
    }
    if (calls_.getFileType(handle.get()) != FILE_TYPE_DISK) {
        entry.type = EntryType::Other;
        return entry;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (!calls_.getFileInformation(handle.get(), &information)) {
        return Failure(LastError());
    }
    entry.type =
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryType::Folder : EntryType::Regular;
    entry.readOnly = (information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    entry.identity = {information.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
    entry.size = entry.type == EntryType::Regular ? Size(information) : 0;
    return entry;
}

FileResult<std::vector<ListedName>> Win32FileSystem::List(const FilePath& folder)
{
    FilePath pattern = folder;
    if (!pattern.empty() && pattern.find_last_of(L"\\/:") != pattern.size() - 1) {
        pattern += L'\\';
    }
    pattern += L'*';
    std::vector<ListedName> names;
    WIN32_FIND_DATAW found{};
    const FoundNames search(calls_, pattern, found);
    if (!search) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES) {
            return Failure(Failed(error));
        }
        return names;
    }
    do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..") {
            // A folder, or a link or junction that may lead to one.
            const DWORD folderOrLink = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
            names.push_back({FilePath(name), (found.dwFileAttributes & folderOrLink) != 0});
        }
    } while (search.Next(found));
    if (const DWORD error = GetLastError(); error != ERROR_NO_MORE_FILES) {
        return Failure(Failed(error)); // a listing that breaks off is no listing
    }
    return names;
}

FileResult<FileBytes> Win32FileSystem::Read(const FilePath& file, std::uint64_t limit)
{
    if (IsReserved(file)) {
        return Failure(SystemError("not a regular file"));
    }
    const UniqueFileHandle in(calls_.createFile(file.c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING,
                                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in) {
        return Failure(LastError());
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (calls_.getFileType(in.get()) != FILE_TYPE_DISK || !calls_.getFileInformation(in.get(), &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return Failure(SystemError("not a regular file"));
    }
    if (Size(information) > limit) {
        return Failure(SystemError("larger than " + std::to_string(limit) + " bytes"));
    }
    FileBytes read{{}, UnixSeconds(information.ftLastWriteTime)};
    read.bytes.reserve(static_cast<std::size_t>(Size(information)));
    char buffer[1 << 16];
    for (;;) {
        DWORD count = 0;
        if (!calls_.readFile(in.get(), buffer, sizeof buffer, &count, nullptr)) {
            return Failure(LastError());
        }
        if (count == 0) {
            return read;
        }
        if (read.bytes.size() + count > limit) {
            return Failure(SystemError("grew past " + std::to_string(limit) + " bytes while it was read"));
        }
        read.bytes.append(buffer, count);
    }
}

// Whether another program has `path` open without letting it be deleted:
// opening it for deletion then meets a sharing violation, where a refusal of
// permission would be "access denied" again.
bool Win32FileSystem::HeldOpenElsewhere(const FilePath& path) const
{
    const HANDLE handle = calls_.createFile(path.c_str(), DELETE, ShareAll, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_SHARING_VIOLATION;
    }
    calls_.closeHandle(handle);
    return false;
}

FileResult<NativeFile> Win32FileSystem::CreateNew(const FilePath& path)
{
    return Opened(calls_.createFile(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

FileResult<NativeFile> Win32FileSystem::OpenExisting(const FilePath& path)
{
    return Opened(calls_.createFile(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
}

FileStatus Win32FileSystem::Write(NativeFile file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min(bytes.size(), LargestWrite));
        DWORD count = 0;
        if (!calls_.writeFile(ToHandle(file), bytes.data(), chunk, &count, nullptr)) {
            return Failure(LastError());
        }
        if (count < chunk) {
            return Failure(SystemError("the write came up short"));
        }
        bytes.remove_prefix(count);
    }
    return {};
}

FileStatus Win32FileSystem::Flush(NativeFile file)
{
    return StatusOf(calls_.flushFileBuffers(ToHandle(file)));
}

FileStatus Win32FileSystem::Close(NativeFile file)
{
    return StatusOf(calls_.closeHandle(ToHandle(file)));
}

FileStatus Win32FileSystem::Rename(const FilePath& from, const FilePath& to)
{
    // A rename within the folder: the entry `to` is replaced, whatever it is
    // a link to, and the target of a link keeps its bytes.
    if (calls_.moveFileEx(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return {};
    }
    const DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED && HeldOpenElsewhere(to)) {
        return Failure(SystemError::OfCall(SystemCode::Win32(error), "in use by another program", Condition::InUse));
    }
    return Failure(Failed(error));
}

FileStatus Win32FileSystem::Remove(const FilePath& path)
{
    return StatusOf(calls_.deleteFile(path.c_str()));
}

FileStatus Win32FileSystem::CreateFolder(const FilePath& path)
{
    return StatusOf(calls_.createDirectory(path.c_str(), nullptr));
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
