#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "platform/FileSystem.h"

namespace Talvane::Nimlo {

// The system calls the files go through, the system's own unless a test puts
// in its own to make a step fail as an interrupted call, a short read or
// write, a full disk, a file that grows while it is read or a listing that
// breaks off would (by setting errno).
struct PosixFileCalls {
    int (*open)(const char* path, int flags, mode_t mode) = [](const char* path, int flags, mode_t mode) {
        return ::open(path, flags, mode);
    };
    ssize_t (*write)(int descriptor, const void* bytes, size_t count) = &::write;
    int (*fsync)(int descriptor) = &::fsync;
    int (*rename)(const char* from, const char* to) = &::rename;
    int (*unlink)(const char* path) = &::unlink;
    int (*close)(int descriptor) = &::close;
    int (*mkdir)(const char* path, mode_t mode) = &::mkdir;
    int (*lstat)(const char* path, struct stat* status) = &::lstat;
    int (*stat)(const char* path, struct stat* status) = &::stat;
    int (*fstat)(int descriptor, struct stat* status) = &::fstat;
    ssize_t (*read)(int descriptor, void* bytes, size_t count) = &::read;
    ssize_t (*readlink)(const char* path, char* target, size_t size) = &::readlink;
    DIR* (*opendir)(const char* path) = &::opendir;
    dirent* (*readdir)(DIR* directory) = &::readdir;
};

// Files on Linux and other POSIX systems: looked up with lstat and stat,
// listed with opendir and readdir, read with a non-blocking open, fstat and
// read, written with open, write, fsync, close, rename and unlink. Nothing on
// POSIX holds a file against its replacement, so no refusal is ever InUse.
class PosixFileSystem final : public FileSystem {
public:
    explicit PosixFileSystem(const PosixFileCalls& calls = {}) : calls_(calls) {}

    FileResult<Entry> Examine(const FilePath& path, Links links) override;
    FileResult<std::vector<ListedName>> List(const FilePath& folder) override;
    FileResult<FileBytes> Read(const FilePath& file, std::uint64_t limit) override;
    std::optional<FilePath> LinkTarget(const FilePath& path) override;
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
    FileResult<NativeFile> Open(const FilePath& path, int flags);

    PosixFileCalls calls_;
};

} // namespace Talvane::Nimlo
