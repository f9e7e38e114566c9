#include "platform/posix/PosixFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <random>

#include "platform/posix/Uninterrupted.h"

namespace Talvane::Nimlo {
namespace {

int Descriptor(NativeFile file)
{
    return static_cast<int>(static_cast<std::uintptr_t>(file));
}

// errno, as the code of a call that just failed (never 0 for a failure).
SystemCode LastError()
{
    return SystemCode::Errno(errno != 0 ? errno : EIO);
}

FileStatus StatusOf(int result)
{
    if (result == 0) {
        return {};
    }
    return Failure(FileFailure{LastError()});
}

// A name the seam carries that no POSIX name gives (a unit past 0xFF).
FileFailure NoSuchName()
{
    return {SystemCode::Errno(EINVAL)};
}

} // namespace

PosixFileCalls PosixFileCalls::System()
{
    return {[](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); },
            &::write,
            &::fsync,
            &::rename,
            &::unlink,
            &::close};
}

NewFile PosixFileSystem::Open(const std::u16string& name, int flags)
{
    const std::optional<std::string> path = FileNameToBytes(name);
    if (!path) {
        return Failure(NoSuchName());
    }
    const int descriptor = Uninterrupted([&] { return calls_.open(path->c_str(), flags, 0666); });
    if (descriptor < 0) {
        const SystemCode error = LastError();
        return Failure(FileFailure{error, false, error == SystemCode::Errno(EEXIST)});
    }
    return NativeFile{static_cast<std::uintptr_t>(descriptor)};
}

NewFile PosixFileSystem::CreateNew(const std::u16string& name)
{
    // O_EXCL: nothing of that name, not even a link, is opened.
    return Open(name, O_RDWR | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC);
}

NewFile PosixFileSystem::OpenExisting(const std::u16string& name)
{
    return Open(name, O_WRONLY | O_NOCTTY | O_CLOEXEC);
}

Written PosixFileSystem::Write(NativeFile file, std::string_view bytes)
{
    std::uint32_t total = 0;
    while (!bytes.empty()) {
        const ssize_t count = Uninterrupted([&] { return calls_.write(Descriptor(file), bytes.data(), bytes.size()); });
        if (count < 0) {
            return {total, LastError()};
        }
        if (count == 0) {
            return {total, std::nullopt}; // the platform took nothing and said nothing: no use asking again
        }
        total += static_cast<std::uint32_t>(count);
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return {total, std::nullopt};
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

FileStatus PosixFileSystem::Rename(const std::u16string& from, const std::u16string& to)
{
    const std::optional<std::string> source = FileNameToBytes(from);
    const std::optional<std::string> target = FileNameToBytes(to);
    if (!source || !target) {
        return Failure(NoSuchName());
    }
    return StatusOf(Uninterrupted([&] { return calls_.rename(source->c_str(), target->c_str()); }));
}

FileStatus PosixFileSystem::Remove(const std::u16string& name)
{
    const std::optional<std::string> path = FileNameToBytes(name);
    if (!path) {
        return Failure(NoSuchName());
    }
    return StatusOf(Uninterrupted([&] { return calls_.unlink(path->c_str()); }));
}

EntryKind PosixFileSystem::Kind(const std::u16string& name)
{
    const std::optional<std::string> path = FileNameToBytes(name);
    struct stat status {};
    if (!path || ::lstat(path->c_str(), &status) != 0) {
        return EntryKind::Missing;
    }
    if (S_ISREG(status.st_mode)) {
        return EntryKind::File;
    }
    return S_ISDIR(status.st_mode) ? EntryKind::Folder : EntryKind::Other;
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
