// The fleet summary's file operations on Linux and other POSIX systems.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/FleetFiles.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixFiles.h"
#include "platform/posix/UniqueDescriptor.h"

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
        return std::strerror(error);
    }
}

class PosixFleetFiles final : public FleetFiles {
public:
    Result<Entry> Examine(const std::filesystem::path& path) override
    {
        Entry entry;
        struct stat name {};
        if (::lstat(path.c_str(), &name) != 0) {
            if (errno != ENOENT && errno != ENOTDIR) {
                return Failure(Reason(errno));
            }
            return entry;
        }
        entry.isLink = S_ISLNK(name.st_mode);
        struct stat target {};
        if (::stat(path.c_str(), &target) != 0) {
            if (errno != ENOENT && errno != ENOTDIR) {
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

    Result<std::vector<std::filesystem::path>> List(const std::filesystem::path& folder) override
    {
        std::vector<std::filesystem::path> names;
        DIR* directory = ::opendir(folder.c_str());
        if (directory == nullptr) {
            return Failure(Reason(errno));
        }
        int error = 0;
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(directory);
            if (entry == nullptr) {
                error = errno;
                break;
            }
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..") {
                names.emplace_back(name);
            }
        }
        ::closedir(directory);
        if (error != 0) {
            return Failure(Reason(error));
        }
        return names;
    }

    Result<std::string> Read(const std::filesystem::path& file, std::uint64_t limit) override
    {
        // Non-blocking, so that a FIFO put in the file's place cannot make the open wait.
        const UniqueDescriptor in(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (!in) {
            return Failure(Reason(errno));
        }
        struct stat status {};
        if (::fstat(in.get(), &status) != 0) {
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
            const ssize_t count = ::read(in.get(), buffer, sizeof buffer);
            if (count < 0 && errno == EINTR) {
                continue;
            }
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

    std::optional<std::filesystem::path> LinkTarget(const std::filesystem::path& path) override
    {
        std::string target(256, '\0');
        for (;;) {
            const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
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

    FileSystem& Writing() override { return writing_; }
    Clock& TickClock() override { return clock_; }

    bool CreateFolder(const std::filesystem::path& path) override { return ::mkdir(path.c_str(), 0777) == 0; }

    bool StandardErrorIsTerminal() override { return ::isatty(STDERR_FILENO) == 1; }

private:
    PosixFileSystem writing_;
    PosixClock clock_;
};

} // namespace

std::unique_ptr<FleetFiles> MakePlatformFleetFiles()
{
    return std::make_unique<PosixFleetFiles>();
}

} // namespace Talvane::Nimlo
