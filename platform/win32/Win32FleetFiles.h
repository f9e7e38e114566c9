#pragma once

#include <windows.h>

#include "platform/FleetFiles.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Files.h"

namespace Talvane::Nimlo {

// The system calls the fleet's files are read through. A test puts in its
// own to make a step fail as a short read, a file that grows while it is
// read or a listing that breaks off would (with SetLastError).
struct Win32FleetCalls {
    decltype(&::GetFileAttributesW) getFileAttributes = &::GetFileAttributesW;
    decltype(&::CreateFileW) createFile = &::CreateFileW;
    decltype(&::GetFileType) getFileType = &::GetFileType;
    decltype(&::GetFileInformationByHandle) getFileInformation = &::GetFileInformationByHandle;
    decltype(&::ReadFile) readFile = &::ReadFile;
    decltype(&::FindFirstFileW) findFirstFile = &::FindFirstFileW;
    decltype(&::FindNextFileW) findNextFile = &::FindNextFileW;
};

// The fleet summary's file operations on Windows. std::filesystem cannot be
// asked here: it takes NUL, a FIFO and a reserved name such as "con.html" for
// files that do not exist, and follows a loop of links until the whole walk
// stops. The handle of what a name leads to tells instead.
class Win32FleetFiles final : public FleetFiles {
public:
    explicit Win32FleetFiles(const Win32FleetCalls& calls = {}) : calls_(calls) {}

    Result<Entry> Examine(const std::filesystem::path& path) override;
    Result<std::vector<ListedName>> List(const std::filesystem::path& folder) override;
    Result<std::string> Read(const std::filesystem::path& file, std::uint64_t limit) override;
    // Links are not followed by name here: an output that is a link is refused instead.
    std::optional<std::filesystem::path> LinkTarget(const std::filesystem::path&) override { return std::nullopt; }
    FileSystem& Writing() override { return writing_; }
    Clock& TickClock() override { return clock_; }
    bool CreateFolder(const std::filesystem::path& path) override;
    bool StandardErrorIsTerminal() override;

private:
    Win32FleetCalls calls_;
    Win32FileSystem writing_;
    Win32Clock clock_;
};

} // namespace Talvane::Nimlo
