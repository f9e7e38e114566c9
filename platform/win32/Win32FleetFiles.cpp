// The fleet summary's file operations on Windows.
#include "platform/win32/Win32FleetFiles.h"

#include <string>

#include "platform/ReservedDeviceNames.h"
#include "platform/win32/UniqueFileHandle.h"
#include "platform/win32/UniqueFindHandle.h"

namespace Talvane::Nimlo {
namespace {

// ERROR_CANT_RESOLVE_FILENAME: a name that leads through too many links.
constexpr DWORD LinkLoop = 1921;

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::string Reason(DWORD error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED:
        return "permission denied";
    case ERROR_SHARING_VIOLATION:
        return "in use by another program";
    case LinkLoop:
        return "a link that loops, or too many links in a row";
    default:
        return "Windows error " + std::to_string(error);
    }
}

bool IsMissing(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ||
           error == ERROR_BAD_NETPATH || error == ERROR_BAD_NET_NAME;
}

bool IsReserved(const std::filesystem::path& path)
{
    const std::wstring name = path.filename().native();
    return IsReservedDeviceName(std::u16string(name.begin(), name.end()));
}

std::uint64_t Size(const BY_HANDLE_FILE_INFORMATION& information)
{
    return (static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
}

} // namespace

Result<Entry> Win32FleetFiles::Examine(const std::filesystem::path& path)
{
    Entry entry;
    if (IsReserved(path)) {
        entry.type = EntryType::Other;
        return entry;
    }
    const DWORD attributes = calls_.getFileAttributes(path.c_str());
    entry.isLink = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    // No access asked for: nothing is read, and what the name leads to is opened through every link.
    const UniqueFileHandle handle(
        calls_.createFile(path.c_str(), 0, ShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) {
        const DWORD error = GetLastError();
        if (!IsMissing(error)) {
            return Failure(Reason(error));
        }
        return entry;
    }
    if (calls_.getFileType(handle.get()) != FILE_TYPE_DISK) {
        entry.type = EntryType::Other;
        return entry;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (!calls_.getFileInformation(handle.get(), &information)) {
        return Failure(Reason(GetLastError()));
    }
    entry.type =
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryType::Folder : EntryType::Regular;
    entry.identity = {information.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
    entry.size = entry.type == EntryType::Regular ? Size(information) : 0;
    return entry;
}

Result<std::vector<ListedName>> Win32FleetFiles::List(const std::filesystem::path& folder)
{
    std::vector<ListedName> names;
    WIN32_FIND_DATAW found{};
    const UniqueFindHandle search(calls_.findFirstFile((folder / L"*").c_str(), &found));
    if (!search) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES) {
            return Failure(Reason(error));
        }
        return names;
    }
    do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..") {
            // A folder, or a link or junction that may lead to one.
            const DWORD folderOrLink = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
            names.push_back({std::filesystem::path(name), (found.dwFileAttributes & folderOrLink) != 0});
        }
    } while (calls_.findNextFile(search.get(), &found));
    if (const DWORD error = GetLastError(); error != ERROR_NO_MORE_FILES) {
        return Failure(Reason(error)); // a listing that breaks off is no listing
    }
    return names;
}

Result<std::string> Win32FleetFiles::Read(const std::filesystem::path& file, std::uint64_t limit)
{
    if (IsReserved(file)) {
        return Failure("not a regular file");
    }
    const UniqueFileHandle in(calls_.createFile(file.c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING,
                                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in) {
        return Failure(Reason(GetLastError()));
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (calls_.getFileType(in.get()) != FILE_TYPE_DISK || !calls_.getFileInformation(in.get(), &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return Failure("not a regular file");
    }
    if (Size(information) > limit) {
        return Failure("larger than " + std::to_string(limit) + " bytes");
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(Size(information)));
    char buffer[1 << 16];
    for (;;) {
        DWORD count = 0;
        if (!calls_.readFile(in.get(), buffer, sizeof buffer, &count, nullptr)) {
            return Failure(Reason(GetLastError()));
        }
        if (count == 0) {
            return bytes;
        }
        if (bytes.size() + count > limit) {
            return Failure("grew past " + std::to_string(limit) + " bytes while it was read");
        }
        bytes.append(buffer, count);
    }
}

bool Win32FleetFiles::CreateFolder(const std::filesystem::path& path)
{
    return CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}

bool Win32FleetFiles::StandardErrorIsTerminal()
{
    // A console; a pipe or a file is no place for a line updated in place.
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    return error != nullptr && error != INVALID_HANDLE_VALUE && GetConsoleMode(error, &mode) != FALSE;
}

std::unique_ptr<FleetFiles> MakePlatformFleetFiles()
{
    return std::make_unique<Win32FleetFiles>();
}

} // namespace Talvane::Nimlo
