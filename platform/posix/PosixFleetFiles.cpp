// The fleet summary's file operations on Linux and other POSIX systems.
#include "platform/posix/PosixFleetFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/posix/Uninterrupted.h"
#include "platform/posix/UniqueDescriptor.h"
#include "platform/posix/UniqueDirectory.h"

namespace Talvane::Nimlo {
namespace {

std::string Reason(int error)
{
    switch (error) {
    case ELOOP:
        return "a link that loops, or too many links in a row";
    case EACCES:
    case EPERM:
        return "permission denied";
    default:
        return std::generic_category().message(error); // strerror's words, safe on any thread
    }
}

// Whether a failed look-up only says that nothing is there.
bool IsMissing(int error)
{
    return error == ENOENT || error == ENOTDIR;
}

} // namespace

PosixFleetCalls PosixFleetCalls::System()
{
    return {&::lstat, &::stat, &::opendir, &::readdir, [](const char* path, int flags) { return ::open(path, flags); },
            &::fstat, &::read, &::readlink};
}

Result<Entry> PosixFleetFiles::Examine(const std::filesystem::path& path)
{
    Entry entry;
    struct stat name {};
    if (Uninterrupted([&] { return calls_.lstat(path.c_str(), &name); }) != 0) {
        if (!IsMissing(errno)) {
            return Failure(Reason(errno));
        }
        return entry;
    }
    entry.isLink = S_ISLNK(name.st_mode);
    struct stat target {};
    if (Uninterrupted([&] { return calls_.stat(path.c_str(), &target); }) != 0) {
        if (!IsMissing(errno)) {
            return Failure(Reason(errno));
        }
        return entry; // a link that leads nowhere: missing
    }
    entry.type = S_ISREG(target.st_mode)   ? EntryType::Regular
                 : S_ISDIR(target.st_mode) ? EntryType::Folder
                                           : EntryType::Other;
    entry.identity = {static_cast<std::uint64_t>(target.st_dev), static_cast<std::uint64_t>(target.st_ino)};
    entry.size = entry.type == EntryType::Regular ? static_cast<std::uint64_t>(target.st_size) : 0;
    return entry;
}

Result<std::vector<ListedName>> PosixFleetFiles::List(const std::filesystem::path& folder)
{
    const UniqueDirectory directory(calls_.opendir(folder.c_str()));
    if (!directory) {
        return Failure(Reason(errno));
    }
    std::vector<ListedName> names;
    for (;;) {
        errno = 0;
        const dirent* entry = calls_.readdir(directory.get());
        if (entry == nullptr) {
            if (errno != 0) {
                return Failure(Reason(errno)); // a listing that breaks off is no listing
            }
            return names;
        }
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            // A type the file system does not give (DT_UNKNOWN) may be anything.
            const bool file = entry->d_type != DT_DIR && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN;
            names.push_back({name, !file});
        }
    }
}

Result<std::string> PosixFleetFiles::Read(const std::filesystem::path& file, std::uint64_t limit)
{
    // Non-blocking, so that a FIFO put in the file's place cannot make the open wait.
    const UniqueDescriptor in(
        Uninterrupted([&] { return calls_.open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC); }));
    if (!in) {
        return Failure(Reason(errno));
    }
    struct stat status {};
    if (calls_.fstat(in.get(), &status) != 0) {
        return Failure(Reason(errno));
    }
    if (!S_ISREG(status.st_mode)) {
        return Failure("not a regular file");
    }
    if (static_cast<std::uint64_t>(status.st_size) > limit) {
        return Failure("larger than " + std::to_string(limit) + " bytes");
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t count = Uninterrupted([&] { return calls_.read(in.get(), buffer, sizeof buffer); });
        if (count < 0) {
            return Failure(Reason(errno));
        }
        if (count == 0) {
            return bytes;
        }
        if (bytes.size() + static_cast<std::size_t>(count) > limit) {
            return Failure("grew past " + std::to_string(limit) + " bytes while it was read");
        }
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
}

std::optional<std::filesystem::path> PosixFleetFiles::LinkTarget(const std::filesystem::path& path)
{
    std::string target(256, '\0');
    for (;;) {
        const ssize_t length = calls_.readlink(path.c_str(), target.data(), target.size());
        if (length < 0) {
            return std::nullopt;
        }
        if (static_cast<std::size_t>(length) < target.size()) {
            target.resize(static_cast<std::size_t>(length));
            return std::filesystem::path(target);
        }
        target.resize(target.size() * 2);
    }
}

bool PosixFleetFiles::CreateFolder(const std::filesystem::path& path)
{
    return ::mkdir(path.c_str(), 0777) == 0;
}

bool PosixFleetFiles::StandardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

std::unique_ptr<FleetFiles> MakePlatformFleetFiles()
{
    return std::make_unique<PosixFleetFiles>();
}

} // namespace Talvane::Nimlo
