#pragma once

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fakes/FakeClock.h"
#include "fakes/ShuffledJobPool.h"
#include "platform/SummaryServices.h"

namespace Talvane::Nimlo::Testing {

// The platform's own files, with failures put in where a test wants them: a
// folder that cannot be listed, a file that cannot be read, a write, flush
// or rename that fails, a target held open by another program. Everything
// else goes to the real file system.
class FailingFileSystem : public FileSystem {
public:
    FileResult<Entry> Examine(const FilePath& path, Links links) override { return real_.Examine(path, links); }
    FileResult<std::vector<ListedName>> List(const FilePath& folder) override
    {
        if (unlistable.count(std::filesystem::path(folder).lexically_normal()) != 0) {
            return Failure(SystemError::OfCall(AccessDenied, "permission denied"));
        }
        return real_.List(folder);
    }
    FileResult<FileBytes> Read(const FilePath& file, std::uint64_t limit) override
    {
        if (unreadable.count(std::filesystem::path(file).lexically_normal()) != 0) {
            return Failure(SystemError::OfCall(AccessDenied, "permission denied"));
        }
        return real_.Read(file, limit);
    }
    std::optional<FilePath> LinkTarget(const FilePath& path) override { return real_.LinkTarget(path); }
    FileResult<NativeFile> CreateNew(const FilePath& path) override
    {
        created.push_back(path);
        if (refuseCreate) {
            return Failure(SystemError::OfCall(AccessDenied));
        }
        return real_.CreateNew(path);
    }
    FileResult<NativeFile> OpenExisting(const FilePath& path) override { return real_.OpenExisting(path); }
    FileStatus Write(NativeFile file, std::string_view bytes) override
    {
        if (failWrite) {
            return Failure(SystemError::OfCall(DiskFull));
        }
        return real_.Write(file, bytes);
    }
    FileStatus Flush(NativeFile file) override
    {
        if (failFlush) {
            return Failure(SystemError::OfCall(DiskFull));
        }
        return real_.Flush(file);
    }
    FileStatus Close(NativeFile file) override { return real_.Close(file); }
    FileStatus Rename(const FilePath& from, const FilePath& to) override
    {
        if (busyRenames != 0) {
            busyRenames -= busyRenames > 0 ? 1 : 0;
            return Failure(SystemError::OfCall(SharingViolation, "", Condition::InUse));
        }
        if (failRename) {
            return Failure(SystemError::OfCall(AccessDenied));
        }
        return real_.Rename(from, to);
    }
    FileStatus Remove(const FilePath& path) override { return real_.Remove(path); }
    FileStatus CreateFolder(const FilePath& path) override { return real_.CreateFolder(path); }
    std::optional<std::uint64_t> UnforeseeableNumber() override { return real_.UnforeseeableNumber(); }

    // The codes of this platform's refusals, and what a refused read or listing says.
#ifdef _WIN32
    static constexpr const char* PermissionDenied = "permission denied (Win32 error 5)";
    static constexpr SystemCode AccessDenied = SystemCode::Win32(5);
    static constexpr SystemCode SharingViolation = SystemCode::Win32(32);
    static constexpr SystemCode DiskFull = SystemCode::Win32(112);
#else
    static constexpr const char* PermissionDenied = "permission denied (errno 13)";
    static constexpr SystemCode AccessDenied = SystemCode::Errno(EACCES);
    static constexpr SystemCode SharingViolation = SystemCode::Errno(EBUSY);
    static constexpr SystemCode DiskFull = SystemCode::Errno(ENOSPC);
#endif
    std::set<std::filesystem::path> unlistable; // lexically normal paths
    std::set<std::filesystem::path> unreadable;
    bool refuseCreate = false;
    bool failWrite = false;
    bool failFlush = false;
    bool failRename = false;
    int busyRenames = 0; // renames refused as held open elsewhere; -1: every one
    std::vector<FilePath> created;

private:
    std::unique_ptr<SummaryServices> platform_ = MakePlatformSummaryServices();
    FileSystem& real_ = platform_->Files();
};

// The summary's services with those files, a clock that only counts its
// pauses, a terminal where a test says there is one, and the platform's job
// pool or one that runs the jobs in a shuffled order.
class FailingSummaryServices : public SummaryServices {
public:
    FileSystem& Files() override { return files; }
    Clock& TickClock() override { return clock; }
    bool StandardErrorIsTerminal() override { return terminal; }
    std::unique_ptr<JobPool> Pool(const std::vector<std::size_t>& threads) override
    {
        poolThreads = threads;
        if (shuffleSeed) {
            return std::make_unique<ShuffledJobPool>(*shuffleSeed);
        }
        return SummaryServices::Pool(threads);
    }

    FailingFileSystem files;
    FakeClock clock; // the pauses of busy outputs
    bool terminal = false;
    std::optional<std::uint32_t> shuffleSeed; // the jobs run on the run's own thread, in an order drawn from it
    std::vector<std::size_t> poolThreads;     // as the last pool was asked for, by lane
};

} // namespace Talvane::Nimlo::Testing
