#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/RunAssessment.h"
#include "fakes/FakeClock.h"
#include "fakes/Profiles.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo::Testing {

// An in-memory file system that records every call in order. `files` holds
// every file by name, those a test puts there beforehand included; each step
// of a write can be made to fail.
class FakeFileSystem : public FileSystem {
public:
    // The Win32 codes it fails with.
    static constexpr SystemCode FileNotFound = SystemCode::Win32(2); // ERROR_FILE_NOT_FOUND
    static constexpr SystemCode AccessDenied = SystemCode::Win32(5); // ERROR_ACCESS_DENIED
    static constexpr SystemCode DiskFull = SystemCode::Win32(112);   // ERROR_DISK_FULL
    static constexpr SystemCode FileExists = SystemCode::Win32(80);  // ERROR_FILE_EXISTS

    FileResult<Entry> Examine(const FilePath& path, Links) override
    {
        log.push_back("examine");
        if (const auto entry = entries.find(path); entry != entries.end()) {
            return entry->second;
        }
        return Entry{.type = files.count(path) != 0 ? EntryType::Regular : EntryType::Missing};
    }

    FileResult<std::vector<ListedName>> List(const FilePath&) override
    {
        log.push_back("list");
        return Failure(SystemError::OfCall(FileNotFound));
    }

    FileResult<FileBytes> Read(const FilePath& path, std::uint64_t) override
    {
        log.push_back("read");
        if (files.count(path) == 0) {
            return Failure(SystemError::OfCall(FileNotFound));
        }
        return FileBytes{files.at(path), 0};
    }

    std::optional<FilePath> LinkTarget(const FilePath&) override { return std::nullopt; }

    FileResult<NativeFile> CreateNew(const FilePath& path) override
    {
        log.push_back("create");
        if (refuseCreate) {
            return Failure(SystemError::OfCall(AccessDenied));
        }
        if (files.count(path) != 0 || takeEveryName) {
            return Failure(SystemError::OfCall(FileExists, "", Condition::NameTaken));
        }
        const NativeFile file{nextFile++};
        names[file] = path;
        files[path].clear();
        open.push_back(file);
        return file;
    }

    FileResult<NativeFile> OpenExisting(const FilePath&) override
    {
        log.push_back("open");
        return Failure(SystemError::OfCall(FileNotFound));
    }

    FileStatus Write(NativeFile file, std::string_view bytes) override
    {
        log.push_back("write");
        if (failWrite) {
            return Failure(SystemError::OfCall(DiskFull));
        }
        if (shortWrite) {
            files[names.at(file)].append(bytes.substr(0, bytes.size() / 2));
            return Failure(SystemError("the write came up short"));
        }
        files[names.at(file)].append(bytes);
        return {};
    }

    FileStatus Flush(NativeFile) override
    {
        log.push_back("flush");
        if (failFlush) {
            return Failure(SystemError::OfCall(DiskFull));
        }
        return {};
    }

    FileStatus Close(NativeFile file) override
    {
        log.push_back("close");
        std::erase(open, file);
        ++closes[file];
        return {};
    }

    FileStatus Rename(const FilePath& from, const FilePath& to) override
    {
        log.push_back("rename");
        if (failRename) {
            return Failure(SystemError::OfCall(AccessDenied));
        }
        if (busyRenames != 0) {
            busyRenames -= busyRenames > 0 ? 1 : 0;
            return Failure(SystemError::OfCall(AccessDenied, "", Condition::InUse));
        }
        if (files.count(from) == 0) {
            return Failure(SystemError::OfCall(FileNotFound));
        }
        files[to] = std::move(files.at(from));
        files.erase(from);
        return {};
    }

    FileStatus Remove(const FilePath& path) override
    {
        log.push_back("remove");
        removed.push_back(path);
        if (files.erase(path) == 0) {
            return Failure(SystemError::OfCall(FileNotFound));
        }
        return {};
    }

    FileStatus CreateFolder(const FilePath&) override
    {
        log.push_back("create folder");
        return Failure(SystemError::OfCall(AccessDenied));
    }

    std::optional<std::uint64_t> UnforeseeableNumber() override
    {
        log.push_back("number");
        if (noNumbers) {
            return std::nullopt;
        }
        return nextNumber++;
    }

    bool refuseCreate = false;
    bool takeEveryName = false;
    bool failWrite = false;
    bool shortWrite = false;
    bool failFlush = false;
    bool failRename = false;
    int busyRenames = 0; // renames refused as held open by another program; -1: every one
    bool noNumbers = false;
    std::map<FilePath, Entry> entries; // what a look-up says of a name, where not a plain file or nothing
    std::uintptr_t nextFile = 100;
    std::uint64_t nextNumber = 0x1234;
    std::vector<std::string> log;
    std::map<NativeFile, FilePath> names;
    std::map<FilePath, std::string> files;
    std::map<NativeFile, int> closes;
    std::vector<NativeFile> open;
    std::vector<FilePath> removed;
};

// The name a test gives a file, as the file system names it.
inline FilePath NameOf(std::u16string_view name)
{
    return AsciiPath(ToUtf8(name));
}

struct ShownMessage {
    std::u16string text;
    std::u16string caption;
};

// Records shell requests and message boxes; each entry also notes which files
// were still open at that moment. `visible` answers whether messages can be
// seen; `failNextMessage` makes the next box fail with std::bad_alloc.
class FakeDesktop : public Desktop {
public:
    explicit FakeDesktop(const FakeFileSystem& files) : files_(files) {}

    void Open(const char16_t* fileName) override
    {
        opened.emplace_back(fileName);
        openFilesAtOpen = files_.open.size();
        const FilePath path = NameOf(fileName);
        contentAtOpen = files_.files.count(path) ? files_.files.at(path) : std::string("<missing>");
    }

    bool MessagesCanBeSeen() override
    {
        ++visibilityQuestions;
        return visible;
    }

    void WriteErrorLine(std::string_view line) noexcept override
    {
        errorLines.emplace_back(line);
        said.emplace_back("error line");
    }

    void WriteOutputLine(std::string_view line) noexcept override
    {
        outputLines.emplace_back(line);
        said.emplace_back("output line");
    }

    void ShowMessage(const char16_t* text, const char16_t* caption) override
    {
        if (failNextMessage) {
            failNextMessage = false;
            throw std::bad_alloc();
        }
        messages.push_back({text, caption});
        said.emplace_back("message");
        openFilesAtMessage = files_.open.size();
        filesAtMessage = files_.files;
    }

    bool visible = true;
    bool failNextMessage = false;
    int visibilityQuestions = 0;
    std::vector<std::u16string> opened;
    std::vector<ShownMessage> messages;
    std::vector<std::string> errorLines;
    std::vector<std::string> outputLines;
    std::vector<std::string> said; // "message", "error line", "output line", "ended", in order
    std::size_t openFilesAtOpen = 0;
    std::size_t openFilesAtMessage = 0;
    std::map<FilePath, std::string> filesAtMessage;
    std::string contentAtOpen;

private:
    const FakeFileSystem& files_;
};

// A real thread, waited for in real time; joined when the worker goes.
class ThreadWorker : public Worker {
public:
    ThreadWorker() = default;
    ThreadWorker(const ThreadWorker&) = delete;
    ThreadWorker& operator=(const ThreadWorker&) = delete;
    ~ThreadWorker() override
    {
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    void Start(std::function<void()> task) override
    {
        thread_ = std::thread([this, task = std::move(task)] {
            task();
            const std::lock_guard lock(mutex_);
            done_ = true;
            ended_.notify_all();
        });
    }

    bool Wait(std::uint32_t milliseconds) override
    {
        waits.push_back(milliseconds);
        std::unique_lock lock(mutex_);
        return ended_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return done_; });
    }

    std::vector<std::uint32_t> waits;

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    std::thread thread_;
};

class FakeRunServices : public RunServices {
public:
    explicit FakeRunServices(SystemProfile profile) : profile_(std::move(profile)) {}
    FakeRunServices(const FakeRunServices&) = delete;
    FakeRunServices& operator=(const FakeRunServices&) = delete;

    // A collection that hangs is let go before the thread is joined.
    ~FakeRunServices() override { release_.set_value(); }

    SystemProfile CollectSystemProfile(const Deadline& deadline, CollectionProgress& progress) override
    {
        collectDeadline = deadline;
        if (hangIn) {
            progress.Enter(hangIn);
            progress.SetPhase(hangPhase);
            released_.wait();
        }
        if (collectError) {
            collectError();
        }
        return profile_;
    }
    std::string LoadReportTemplate() override { return reportTemplate; }
    FileSystem& Files() override { return files; }
    Desktop& UserDesktop() override { return desktop; }
    Clock& TickClock() override { return clock; }
    Worker& CollectionThread() override { return worker; }
    void EndAbandoned(int status) override
    {
        endedAbandoned.push_back(status);
        desktop.said.emplace_back("ended");
    }

    std::function<void()> collectError;
    const char* hangIn = nullptr; // the step in which the collection hangs until the services go
    CollectionProgress::Phase hangPhase = CollectionProgress::Phase::Running;
    std::optional<Deadline> collectDeadline;
    std::vector<int> endedAbandoned;
    std::string reportTemplate{EmbeddedReportTemplate};
    FakeFileSystem files;
    FakeDesktop desktop{files};
    FakeClock clock;

private:
    SystemProfile profile_;
    std::promise<void> release_;
    std::shared_future<void> released_{release_.get_future().share()};

public:
    // Last, so that its thread is joined first, while everything it uses is still there.
    ThreadWorker worker;
};

} // namespace Talvane::Nimlo::Testing
