#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>

#include "platform/FleetFiles.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixFiles.h"

namespace Talvane::Nimlo {

// The system calls the fleet's files are read through. A test puts in its
// own to make a step fail as an interrupted call, a short read, a file that
// grows while it is read or a listing that breaks off would (by setting errno).
struct PosixFleetCalls {
    int (*lstat)(const char* path, struct stat* status);
    int (*stat)(const char* path, struct stat* status);
    DIR* (*opendir)(const char* path);
    dirent* (*readdir)(DIR* directory);
    int (*open)(const char* path, int flags);
    int (*fstat)(int descriptor, struct stat* status);
    ssize_t (*read)(int descriptor, void* bytes, size_t count);
    ssize_t (*readlink)(const char* path, char* target, size_t size);

    // The system's own.
    static PosixFleetCalls System();
};

// The fleet's files on Linux and other POSIX systems: examined with lstat
// and stat, listed with opendir and readdir, read with a non-blocking open,
// fstat and read; written through PosixFileSystem.
class PosixFleetFiles final : public FleetFiles {
public:
    explicit PosixFleetFiles(const PosixFleetCalls& calls = PosixFleetCalls::System()) : calls_(calls) {}

    Result<Entry> Examine(const std::filesystem::path& path) override;
    Result<std::vector<ListedName>> List(const std::filesystem::path& folder) override;
    Result<std::string> Read(const std::filesystem::path& file, std::uint64_t limit) override;
    std::optional<std::filesystem::path> LinkTarget(const std::filesystem::path& path) override;
    FileSystem& Writing() override { return writing_; }
    Clock& TickClock() override { return clock_; }
    bool CreateFolder(const std::filesystem::path& path) override;
    bool StandardErrorIsTerminal() override;

private:
    PosixFleetCalls calls_;
    PosixFileSystem writing_;
    PosixClock clock_;
};

} // namespace Talvane::Nimlo
