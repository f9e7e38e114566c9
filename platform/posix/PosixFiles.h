#pragma once

#include <sys/types.h>

#include "platform/FileSystem.h"

namespace Talvane::Nimlo {

// The system calls the files go through. A test puts in its own to make a
// step fail as an interrupted call, a short write or a full disk would (by
// setting errno).
struct PosixFileCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    ssize_t (*write)(int descriptor, const void* bytes, size_t count);
    int (*fsync)(int descriptor);
    int (*rename)(const char* from, const char* to);
    int (*unlink)(const char* path);
    int (*close)(int descriptor);

    // The system's own.
    static PosixFileCalls System();
};

// Files through open, write, fsync, close, rename, unlink and lstat; names are
// the seam's bytes (FileNameToBytes). Nothing on POSIX holds a file against
// its replacement, so no refusal is ever `inUse`.
class PosixFileSystem final : public FileSystem {
public:
    explicit PosixFileSystem(const PosixFileCalls& calls = PosixFileCalls::System()) : calls_(calls) {}

    NewFile CreateNew(const std::u16string& name) override;
    NewFile OpenExisting(const std::u16string& name) override;
    Written Write(NativeFile file, std::string_view bytes) override;
    FileStatus Flush(NativeFile file) override;
    FileStatus Close(NativeFile file) override;
    FileStatus Rename(const std::u16string& from, const std::u16string& to) override;
    FileStatus Remove(const std::u16string& name) override;
    EntryKind Kind(const std::u16string& name) override;
    std::optional<std::uint64_t> UnforeseeableNumber() override;

private:
    NewFile Open(const std::u16string& name, int flags);

    PosixFileCalls calls_;
};

} // namespace Talvane::Nimlo
