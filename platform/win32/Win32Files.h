#pragma once

#include <windows.h>

#include "platform/FileSystem.h"

namespace Talvane::Nimlo {

// The system calls the files go through, the system's own unless a test puts
// in its own to make a step fail as a full disk, a busy file, a short read, a
// file that grows while it is read or a listing that breaks off would (with
// SetLastError).
struct Win32FileCalls {
    // What writing a file needs.
    decltype(&::CreateFileW) createFile = &::CreateFileW;
    decltype(&::WriteFile) writeFile = &::WriteFile;
    decltype(&::FlushFileBuffers) flushFileBuffers = &::FlushFileBuffers;
    decltype(&::MoveFileExW) moveFileEx = &::MoveFileExW;
    decltype(&::DeleteFileW) deleteFile = &::DeleteFileW;
    decltype(&::CloseHandle) closeHandle = &::CloseHandle;
    decltype(&::GetFileAttributesW) getFileAttributes = &::GetFileAttributesW;
    // What only reading a fleet needs besides.
    decltype(&::GetFileType) getFileType = &::GetFileType;
    decltype(&::GetFileInformationByHandle) getFileInformation = &::GetFileInformationByHandle;
    decltype(&::ReadFile) readFile = &::ReadFile;
    decltype(&::FindFirstFileW) findFirstFile = &::FindFirstFileW;
    decltype(&::FindNextFileW) findNextFile = &::FindNextFileW;
    decltype(&::FindClose) findClose = &::FindClose;
    decltype(&::CreateDirectoryW) createDirectory = &::CreateDirectoryW;

    // The program's: what writing its report needs, and in place of every
    // call only a fleet's reading makes one that fails as a call the system
    // lacks (ERROR_CALL_NOT_IMPLEMENTED), so that SystemAssessment.exe
    // imports none of them.
    static Win32FileCalls WritingOnly();
};

// Files on Windows: looked up by the handle of what a name leads to (opened
// with CreateFileW for no access, told by GetFileType and
// GetFileInformationByHandle; std::filesystem takes NUL, a FIFO and a
// reserved name such as "con.html" for files that do not exist, and follows
// a loop of links until the whole walk stops), listed with FindFirstFileW,
// read with ReadFile, written with WriteFile, FlushFileBuffers, MoveFileExW
// and DeleteFileW; unforeseeable numbers from RtlGenRandom. Links are not
// followed by name: an output that is a link is refused instead.
class Win32FileSystem final : public FileSystem {
public:
    explicit Win32FileSystem(const Win32FileCalls& calls = {}) : calls_(calls) {}

    FileResult<Entry> Examine(const FilePath& path, Links links) override;
    FileResult<std::vector<ListedName>> List(const FilePath& folder) override;
    FileResult<FileBytes> Read(const FilePath& file, std::uint64_t limit) override;
    std::optional<FilePath> LinkTarget(const FilePath&) override { return std::nullopt; }
    FileResult<NativeFile> CreateNew(const FilePath& path) override;
    FileResult<NativeFile> OpenExisting(const FilePath& path) override;
    FileStatus Write(NativeFile file, std::string_view bytes) override;
    FileStatus Flush(NativeFile file) override;
    FileStatus Close(NativeFile file) override;
    FileStatus Rename(const FilePath& from, const FilePath& to) override;
    FileStatus Remove(const FilePath& path) override;
    FileStatus CreateFolder(const FilePath& path) override;
    std::optional<std::uint64_t> UnforeseeableNumber() override;

private:
    bool HeldOpenElsewhere(const FilePath& path) const;

    Win32FileCalls calls_;
};

// A FILETIME (100 ns since 1601-01-01 UTC) in whole seconds since
// 1970-01-01 UTC, earlier times negative.
std::int64_t UnixSeconds(FILETIME time);

} // namespace Talvane::Nimlo
