// The fleet summary's file operations on Windows. std::filesystem cannot be
// asked here: it takes NUL, a FIFO and a reserved name such as "con.html" for
// files that do not exist, and follows a loop of links until the whole walk
// stops. The handle of what a name leads to tells instead.
#include <windows.h>

#include <string>

#include "platform/FleetFiles.h"
#include "platform/ReservedDeviceNames.h"
#include "platform/win32/UniqueFileHandle.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Files.h"

namespace Talvane::Nimlo {
namespace {

// ERROR_CANT_RESOLVE_FILENAME: a name that leads through too many links.
constexpr DWORD LinkLoop = 1921;

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

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class Win32FleetFiles final : public FleetFiles {
public:
    Result<Entry> Examine(const std::filesystem::path& path) override
    {
        Entry entry;
        if (IsReserved(path)) {
            entry.type = EntryType::Other;
            return entry;
        }
        const DWORD attributes = GetFileAttributesW(path.c_str());
        entry.isLink = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        // No access asked for: nothing is read, and what the name leads to is opened through every link.
        const UniqueFileHandle handle(
            CreateFileW(path.c_str(), 0, ShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!handle) {
            const DWORD error = GetLastError();
            if (!IsMissing(error)) {
                return Failure(Reason(error));
            }
            return entry;
        }
        if (GetFileType(handle.get()) != FILE_TYPE_DISK) {
            entry.type = EntryType::Other;
            return entry;
        }
        BY_HANDLE_FILE_INFORMATION information{};
        if (!GetFileInformationByHandle(handle.get(), &information)) {
            return Failure(Reason(GetLastError()));
        }
        entry.type =
            (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryType::Folder : EntryType::Regular;
        entry.identity = {information.dwVolumeSerialNumber,
                          (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
        entry.size = entry.type == EntryType::Regular
                         ? (static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow
                         : 0;
        return entry;
    }

    Result<std::vector<std::filesystem::path>> List(const std::filesystem::path& folder) override
    {
        std::vector<std::filesystem::path> names;
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW((folder / L"*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES) {
                return Failure(Reason(error));
            }
            return names;
        }
        do {
            const std::wstring_view name = found.cFileName;
            if (name != L"." && name != L"..") {
                names.emplace_back(name);
            }
        } while (FindNextFileW(search, &found));
        const DWORD error = GetLastError();
        FindClose(search);
        if (error != ERROR_NO_MORE_FILES) {
            return Failure(Reason(error));
        }
        return names;
    }

    Result<std::string> Read(const std::filesystem::path& file, std::uint64_t limit) override
    {
        if (IsReserved(file)) {
            return Failure("not a regular file");
        }
        const UniqueFileHandle in(CreateFileW(file.c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING,
                                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!in) {
            return Failure(Reason(GetLastError()));
        }
        BY_HANDLE_FILE_INFORMATION information{};
        if (GetFileType(in.get()) != FILE_TYPE_DISK || !GetFileInformationByHandle(in.get(), &information) ||
            (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return Failure("not a regular file");
        }
        const std::uint64_t size =
            (static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
        if (size > limit) {
            return Failure("larger than " + std::to_string(limit) + " bytes");
        }
        std::string bytes;
        bytes.reserve(static_cast<std::size_t>(size));
        char buffer[1 << 16];
        for (;;) {
            DWORD count = 0;
            if (!ReadFile(in.get(), buffer, sizeof buffer, &count, nullptr)) {
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

    // Links are not followed by name here: an output that is a link is refused instead.
    std::optional<std::filesystem::path> LinkTarget(const std::filesystem::path&) override { return std::nullopt; }

    FileSystem& Writing() override { return writing_; }
    Clock& TickClock() override { return clock_; }

    bool CreateFolder(const std::filesystem::path& path) override
    {
        return CreateDirectoryW(path.c_str(), nullptr) != FALSE;
    }

    bool StandardErrorIsTerminal() override
    {
        // A console; a pipe or a file is no place for a line updated in place.
        const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
        DWORD mode = 0;
        return error != nullptr && error != INVALID_HANDLE_VALUE && GetConsoleMode(error, &mode) != FALSE;
    }

private:
    Win32FileSystem writing_;
    Win32Clock clock_;
};

} // namespace

std::unique_ptr<FleetFiles> MakePlatformFleetFiles()
{
    return std::make_unique<Win32FleetFiles>();
}

} // namespace Talvane::Nimlo
