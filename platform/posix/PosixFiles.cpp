#include "platform/posix/PosixFiles.h"

#include <cerrno>
#include <exception>
#include <random>

#include "platform/posix/Uninterrupted.h"
#include "platform/posix/UniqueDescriptor.h"
#include "platform/posix/UniqueDirectory.h"

namespace Talvane::Nimlo {
namespace {

int Descriptor(NativeFile file)
{
    return static_cast<int>(static_cast<std::uintptr_t>(file));
}

// A call that failed with `error` (never 0 for a failure), in the words a
// user knows it by where there are some.
SystemError Failed(int error)
{
    if (error == 0) {
        error = EIO;
    }
    const SystemCode code = SystemCode::Errno(error);
    switch (error) {
    case ELOOP:
        return SystemError::OfCall(code, "a link that loops, or too many links in a row");
    case EACCES:
    case EPERM:
        return SystemError::OfCall(code, "permission denied");
    case EEXIST:
        return SystemError::OfCall(code, "", Condition::NameTaken);
    default:
        return SystemError::OfCall(code);
    }
}

// The call that just failed, by errno.
SystemError LastError()
{
    return Failed(errno);
}

FileStatus StatusOf(int result)
{
    if (result == 0) {
        return {};
    }
    return Failure(LastError());
}

// Whether a failed look-up only says that nothing is there.
bool IsMissing(int error)
{
    return error == ENOENT || error == ENOTDIR;
}

EntryType TypeOf(mode_t mode)
{
    if (S_ISREG(mode)) {
        return EntryType::Regular;
    }
    return S_ISDIR(mode) ? EntryType::Folder : EntryType::Other;
}

} // namespace

FileResult<Entry> PosixFileSystem::Examine(const FilePath& path, Links links)
{
    Entry entry;
    struct stat found {};
    if (Uninterrupted([&] { return calls_.lstat(path.c_str(), &found); }) != 0) {
        if (const int error = errno; !IsMissing(error)) {
            return Failure(Failed(error));
        }
        return entry;
    }
    entry.isLink = S_ISLNK(found.st_mode);
    if (entry.isLink && links == Links::Keep) {
        entry.type = EntryType::Other;
        return entry;
    }
    if (entry.isLink && Uninterrupted([&] { return calls_.stat(path.c_str(), &found); }) != 0) {
        if (const int error = errno; !IsMissing(error)) {
            return Failure(Failed(error));
        }
        return entry; // a link that leads nowhere: missing
    }
    entry.type = TypeOf(found.st_mode);
    if (links == Links::Follow) {
        entry.identity = {static_cast<std::uint64_t>(found.st_dev), static_cast<std::uint64_t>(found.st_ino)};
        entry.size = entry.type == EntryType::Regular ? static_cast<std::uint64_t>(found.st_size) : 0;
    }
    return entry;
}

FileResult<std::vector<ListedName>> PosixFileSystem::List(const FilePath& folder)
{
    const UniqueDirectory directory(calls_.opendir(folder.c_str()));
    if (!directory) {
        return Failure(LastError());
    }
    std::vector<ListedName> names;
    for (;;) {
        errno = 0;
        const dirent* entry = calls_.readdir(directory.get());
        if (entry == nullptr) {
            if (errno != 0) {
                return Failure(LastError()); // a listing that breaks off is no listing
            }
            return names;
        }
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            // A type the file system does not give (DT_UNKNOWN) may be anything.
            const bool file = entry->d_type != DT_DIR && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN;
            names.push_back({FilePath(name), !file});
        }
    }
}

FileResult<FileBytes> PosixFileSystem::Read(const FilePath& file, std::uint64_t limit)
{
    // Non-blocking, so that a FIFO put in the file's place cannot make the open wait.
    const UniqueDescriptor in(
        Uninterrupted([&] { return calls_.open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0); }));
    if (!in) {
        return Failure(LastError());
    }
    struct stat status {};
    if (calls_.fstat(in.get(), &status) != 0) {
        return Failure(LastError());
    }
    if (!S_ISREG(status.st_mode)) {
        return Failure(SystemError("not a regular file"));
    }
    if (static_cast<std::uint64_t>(status.st_size) > limit) {
        return Failure(SystemError("larger than " + std::to_string(limit) + " bytes"));
    }
    FileBytes read{{}, static_cast<std::int64_t>(status.st_mtim.tv_sec)};
    read.bytes.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t count = Uninterrupted([&] { return calls_.read(in.get(), buffer, sizeof buffer); });
        if (count < 0) {
            return Failure(LastError());
        }
        if (count == 0) {
            return read;
        }
        if (read.bytes.size() + static_cast<std::size_t>(count) > limit) {
            return Failure(SystemError("grew past " + std::to_string(limit) + " bytes while it was read"));
        }
        read.bytes.append(buffer, static_cast<std::size_t>(count));
    }
}

std::optional<FilePath> PosixFileSystem::LinkTarget(const FilePath& path)
{
    FilePath target(256, '\0');
    for (;;) {
        const ssize_t length = calls_.readlink(path.c_str(), target.data(), target.size());
        if (length < 0) {
            return std::nullopt;
        }
        if (static_cast<std::size_t>(length) < target.size()) {
            target.resize(static_cast<std::size_t>(length));
            return target;
        }
        target.resize(target.size() * 2);
    }
}

FileResult<NativeFile> PosixFileSystem::Open(const FilePath& path, int flags)
{
    const int descriptor = Uninterrupted([&] { return calls_.open(path.c_str(), flags, 0666); });
    if (descriptor < 0) {
        return Failure(LastError());
    }
    return NativeFile{static_cast<std::uintptr_t>(descriptor)};
}

FileResult<NativeFile> PosixFileSystem::CreateNew(const FilePath& path)
{
    // O_EXCL: nothing of that name, not even a link, is opened.
    return Open(path, O_RDWR | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC);
}

FileResult<NativeFile> PosixFileSystem::OpenExisting(const FilePath& path)
{
    return Open(path, O_WRONLY | O_NOCTTY | O_CLOEXEC);
}

FileStatus PosixFileSystem::Write(NativeFile file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t count = Uninterrupted([&] { return calls_.write(Descriptor(file), bytes.data(), bytes.size()); });
        if (count < 0) {
            return Failure(LastError());
        }
        if (count == 0) {
            // The platform took nothing and said nothing: no use asking again.
            return Failure(SystemError("the write took nothing"));
        }
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return {};
}

FileStatus PosixFileSystem::Flush(NativeFile file)
{
    return StatusOf(Uninterrupted([&] { return calls_.fsync(Descriptor(file)); }));
}

FileStatus PosixFileSystem::Close(NativeFile file)
{
    // Never again after EINTR: the descriptor is gone either way on Linux,
    // and a second close could close another thread's new one.
    errno = 0;
    return StatusOf(calls_.close(Descriptor(file)));
}

FileStatus PosixFileSystem::Rename(const FilePath& from, const FilePath& to)
{
    return StatusOf(Uninterrupted([&] { return calls_.rename(from.c_str(), to.c_str()); }));
}

FileStatus PosixFileSystem::Remove(const FilePath& path)
{
    return StatusOf(Uninterrupted([&] { return calls_.unlink(path.c_str()); }));
}

FileStatus PosixFileSystem::CreateFolder(const FilePath& path)
{
    return StatusOf(Uninterrupted([&] { return calls_.mkdir(path.c_str(), 0777); }));
}

std::optional<std::uint64_t> PosixFileSystem::UnforeseeableNumber()
{
    try {
        std::random_device device;
        return (static_cast<std::uint64_t>(device()) << 32) ^ device();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace Talvane::Nimlo
