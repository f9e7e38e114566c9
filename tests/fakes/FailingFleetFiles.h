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
#include "platform/FleetFiles.h"

namespace Talvane::Nimlo::Testing {

// The platform's own file seam, with a write, flush or rename that fails, or a
// target held open by another program, where a test wants them.
class FailingFileSystem : public FileSystem {
public:
    explicit FailingFileSystem(FileSystem& real) : real_(real) {}

    NewFile CreateNew(const std::u16string& name) override
    {
        created.push_back(name);
        if (refuseCreate) {
            return Failure(FileFailure{AccessDenied});
        }
        return real_.CreateNew(name);
    }
    NewFile OpenExisting(const std::u16string& name) override { return real_.OpenExisting(name); }
    Written Write(NativeFile file, std::string_view bytes) override
    {
        return failWrite ? Written{0, DiskFull} : real_.Write(file, bytes);
    }
    FileStatus Flush(NativeFile file) override
    {
        if (failFlush) {
            return Failure(FileFailure{DiskFull});
        }
        return real_.Flush(file);
    }
    FileStatus Close(NativeFile file) override { return real_.Close(file); }
    FileStatus Rename(const std::u16string& from, const std::u16string& to) override
    {
        if (busyRenames != 0) {
            busyRenames -= busyRenames > 0 ? 1 : 0;
            return Failure(FileFailure{SharingViolation, true});
        }
        if (failRename) {
            return Failure(FileFailure{AccessDenied});
        }
        return real_.Rename(from, to);
    }
    FileStatus Remove(const std::u16string& name) override { return real_.Remove(name); }
    EntryKind Kind(const std::u16string& name) override { return real_.Kind(name); }
    std::optional<std::uint64_t> UnforeseeableNumber() override { return real_.UnforeseeableNumber(); }

    // The codes of this platform's refusals.
#ifdef _WIN32
    static constexpr SystemCode AccessDenied = SystemCode::Win32(5);
    static constexpr SystemCode SharingViolation = SystemCode::Win32(32);
    static constexpr SystemCode DiskFull = SystemCode::Win32(112);
#else
    static constexpr SystemCode AccessDenied = SystemCode::Errno(EACCES);
    static constexpr SystemCode SharingViolation = SystemCode::Errno(EBUSY);
    static constexpr SystemCode DiskFull = SystemCode::Errno(ENOSPC);
#endif
    bool refuseCreate = false;
    bool failWrite = false;
    bool failFlush = false;
    bool failRename = false;
    int busyRenames = 0; // renames refused as held open elsewhere; -1: every one
    std::vector<std::u16string> created;

private:
    FileSystem& real_;
};

// The platform's own file operations, with failures put in where a test
// wants them: a folder that cannot be listed, a write, flush or rename that
// fails. Everything else goes to the real file system.
class FailingFleetFiles : public FleetFiles {
public:
    Result<Entry> Examine(const std::filesystem::path& path) override { return real_->Examine(path); }
    Result<std::vector<ListedName>> List(const std::filesystem::path& folder) override
    {
        if (unlistable.count(folder.lexically_normal()) != 0) {
            return Failure("permission denied");
        }
        return real_->List(folder);
    }
    Result<std::string> Read(const std::filesystem::path& file, std::uint64_t limit) override
    {
        if (unreadable.count(file.lexically_normal()) != 0) {
            return Failure("permission denied");
        }
        return real_->Read(file, limit);
    }
    std::optional<std::filesystem::path> LinkTarget(const std::filesystem::path& path) override
    {
        return real_->LinkTarget(path);
    }
    FileSystem& Writing() override { return writes; }
    Clock& TickClock() override { return clock; }
    bool CreateFolder(const std::filesystem::path& path) override { return real_->CreateFolder(path); }
    bool StandardErrorIsTerminal() override { return terminal; }
    std::unique_ptr<JobPool> Pool(const std::vector<std::size_t>& threads) override
    {
        poolThreads = threads;
        if (shuffleSeed) {
            return std::make_unique<ShuffledJobPool>(*shuffleSeed);
        }
        return real_->Pool(threads);
    }

    std::set<std::filesystem::path> unlistable; // lexically normal paths
    std::set<std::filesystem::path> unreadable;
    bool terminal = false;
    std::optional<std::uint32_t> shuffleSeed; // the jobs run on the run's own thread, in an order drawn from it
    std::vector<std::size_t> poolThreads;     // as the last pool was asked for, by lane

    FakeClock clock; // the pauses of busy outputs

private:
    std::unique_ptr<FleetFiles> real_ = MakePlatformFleetFiles();

public:
    FailingFileSystem writes{real_->Writing()}; // after real_, which it writes through
};

} // namespace Talvane::Nimlo::Testing
