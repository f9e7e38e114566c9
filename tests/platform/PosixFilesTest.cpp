// The files on POSIX with their system calls made to fail, step by step: on
// the real file system under the writer every output goes through, and under
// the summary's search and intake.
#include "platform/posix/PosixFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "fakes/ThreeReportsFolder.h"
#include "files/FileWriter.h"
#include "platform/posix/PosixClock.h"

namespace Talvane::Nimlo {
namespace {

namespace fs = std::filesystem;

// What the next calls of one kind do, one entry a call: an errno value to
// fail with, Short (a write that takes half, a read a quarter), or Real (the
// system's own); Grows stays and hands out bytes for ever, as a file that
// grows while it is read. Once the entries run out, the system's own.
constexpr int Real = 0;
constexpr int Short = -1;
constexpr int Grows = -2;

struct Script {
    std::deque<int> open, write, fsync, rename, unlink, close, lstat, opendir, readdir, read;
};
Script script; // NOLINT(cppcoreguidelines-avoid-non-const-global-variables): the calls are plain functions

// The next step for `queue`: Real to go on with the real call, else what to
// do instead, errno set for a failure.
int Next(std::deque<int>& queue)
{
    if (queue.empty()) {
        return Real;
    }
    const int step = queue.front();
    if (step != Grows) {
        queue.pop_front();
    }
    if (step > 0) {
        errno = step;
    }
    return step;
}

PosixFileCalls Scripted()
{
    static const PosixFileCalls system;
    PosixFileCalls calls;
    calls.open = [](const char* path, int flags, mode_t mode) {
        return Next(script.open) == Real ? system.open(path, flags, mode) : -1;
    };
    calls.write = [](int descriptor, const void* bytes, size_t count) -> ssize_t {
        switch (Next(script.write)) {
        case Real:
            return system.write(descriptor, bytes, count);
        case Short:
            return system.write(descriptor, bytes, count / 2);
        default:
            return -1;
        }
    };
    calls.fsync = [](int descriptor) { return Next(script.fsync) == Real ? system.fsync(descriptor) : -1; };
    calls.rename = [](const char* from, const char* to) {
        return Next(script.rename) == Real ? system.rename(from, to) : -1;
    };
    calls.unlink = [](const char* path) { return Next(script.unlink) == Real ? system.unlink(path) : -1; };
    calls.close = [](int descriptor) {
        // A close that fails still lets the descriptor go, as Linux does.
        const int step = Next(script.close);
        const int result = system.close(descriptor);
        if (step != Real) {
            errno = step;
            return -1;
        }
        return result;
    };
    calls.lstat = [](const char* path, struct stat* status) {
        return Next(script.lstat) == Real ? system.lstat(path, status) : -1;
    };
    calls.opendir = [](const char* path) { return Next(script.opendir) == Real ? system.opendir(path) : nullptr; };
    calls.readdir = [](DIR* directory) { return Next(script.readdir) == Real ? system.readdir(directory) : nullptr; };
    calls.read = [](int descriptor, void* bytes, size_t count) -> ssize_t {
        switch (Next(script.read)) {
        case Real:
            return system.read(descriptor, bytes, count);
        case Short:
            return system.read(descriptor, bytes, count / 4);
        case Grows:
            std::memset(bytes, 'x', count);
            return static_cast<ssize_t>(count);
        default:
            return -1;
        }
    };
    return calls;
}

class PosixFilesTest : public Testing::ThreeReportsFolder {
protected:
    void SetUp() override
    {
        script = {};
        ThreeReportsFolder::SetUp();
        std::ofstream(Target()) << "earlier";
    }

    fs::path Target() const { return folder_ / "out.csv"; }
    std::string Content() const
    {
        std::ostringstream bytes;
        bytes << std::ifstream(Target()).rdbuf();
        return bytes.str();
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // Replaces out.csv with `bytes` through the scripted calls, as every
    // writer of the project does.
    WriteResult Replace(std::string_view bytes)
    {
        PosixClock clock;
        BusyRetries retries(clock, 0);
        FileWriter writer(files_, Target().native(), WriteWay::Replace);
        if (WriteResult written = writer.Write(bytes); !written) {
            return written;
        }
        return writer.Finish(retries);
    }

    PosixFileSystem files_{Scripted()};
};

const std::vector<std::string> Untouched{"out.csv", "reports"};

// Interrupted calls are made again and a short write is carried on: the
// file is replaced whole.
TEST_F(PosixFilesTest, InterruptedCallsAndShortWritesStillReplaceTheFileWhole)
{
    script.open = {EINTR, Real};
    script.write = {EINTR, Short, EINTR, Short};
    script.fsync = {EINTR};
    script.rename = {EINTR};
    EXPECT_TRUE(Replace("0123456789abcdef"));
    EXPECT_EQ(Content(), "0123456789abcdef");
    EXPECT_EQ(Names(), Untouched);
    EXPECT_TRUE(script.write.empty() && script.open.empty() && script.fsync.empty() && script.rename.empty());
}

// A full disk at any step leaves the earlier file as it was, nothing beside
// it, and says which errno the system gave. A close that fails once the
// bytes are flushed loses nothing: the file is replaced.
TEST_F(PosixFilesTest, AFullDiskAtAnyStepLeavesTheEarlierFileAndNothingElse)
{
    struct Case {
        const char* step;
        std::deque<int> Script::*calls;
        std::deque<int> steps;
        bool replaced;
    };
    const Case cases[] = {
        {"create", &Script::open, {ENOSPC}, false},
        {"first write", &Script::write, {ENOSPC}, false},
        {"write after a short one", &Script::write, {Short, ENOSPC}, false},
        {"flush", &Script::fsync, {ENOSPC}, false},
        {"close after the flush", &Script::close, {ENOSPC}, true},
        {"rename", &Script::rename, {ENOSPC}, false},
    };
    for (const Case& c : cases) {
        script = {};
        std::ofstream(Target()) << "earlier";
        script.*c.calls = c.steps;
        const WriteResult result = Replace("new bytes");
        EXPECT_EQ(result.has_value(), c.replaced) << c.step;
        if (!result) {
            EXPECT_EQ(result.error().code, SystemCode::Errno(ENOSPC)) << c.step;
            EXPECT_FALSE(result.error().inUse) << c.step;
        }
        EXPECT_EQ(Content(), c.replaced ? "new bytes" : "earlier") << c.step;
        EXPECT_EQ(Names(), Untouched) << c.step;
    }
}

TEST_F(PosixFilesTest, AWriteThatTakesNothingAndSaysNothingEndsTheWrite)
{
    const FileResult<NativeFile> created = files_.CreateNew((folder_ / "new").native());
    ASSERT_TRUE(created);
    PosixFileCalls nothing = Scripted();
    nothing.write = [](int, const void*, size_t) -> ssize_t { return 0; };
    PosixFileSystem stuck(nothing);
    const FileStatus written = stuck.Write(*created, "bytes");
    ASSERT_FALSE(written);
    EXPECT_FALSE(written.error().Code());
    EXPECT_TRUE(files_.Close(*created));
}

TEST_F(PosixFilesTest, AReadIsMadeAgainAfterASignalCarriedOnAfterAShortOneAndBoundedWhileTheFileGrows)
{
    struct Case {
        const char* name;
        std::deque<int> Script::*calls;
        std::deque<int> steps;
        std::string taken;
    };
    const Case cases[] = {
        {"interrupted", &Script::read, {EINTR, EINTR, Real, EINTR}, "SRV-Z\xC3\x9CRICH"},
        {"short", &Script::read, {Short, Short, Short, Short, Short}, "SRV-Z\xC3\x9CRICH"},
        {"read fails", &Script::read, {Short, EIO}, "cannot be read (errno 5: Input/output error)"},
        {"open refused", &Script::open, {EACCES}, "cannot be read (permission denied (errno 13))"},
    };
    for (const Case& c : cases) {
        script = {};
        script.*c.calls = c.steps;
        EXPECT_EQ(Take(files_), c.taken) << c.name;
    }
    script = {};
    script.read = {Short, Grows};
    const FileResult<FileBytes> grown = files_.Read(Report().native(), 100000);
    ASSERT_FALSE(grown);
    EXPECT_STREQ(grown.error().what(), "grew past 100000 bytes while it was read");
}

TEST_F(PosixFilesTest, AListingThatBreaksOffOrAnEntryThatCannotBeExaminedIsNamed)
{
    struct Case {
        const char* name;
        std::deque<int> Script::*calls;
        std::deque<int> steps;
        std::vector<std::string> met;
    };
    const Case cases[] = {
        {"as it is", &Script::readdir, {}, {"a.html", "b.html", "c.html"}},
        {"a listing that breaks off",
         &Script::readdir,
         {Real, Real, EIO},
         {"reports: cannot be searched (errno 5: Input/output error)"}},
        {"a folder that cannot be opened",
         &Script::opendir,
         {EACCES},
         {"reports: cannot be searched (permission denied (errno 13))"}},
        {"an interrupted look-up", &Script::lstat, {EINTR, Real, EINTR}, {"a.html", "b.html", "c.html"}},
        {"a look-up that loops",
         &Script::lstat,
         {Real, Real, ELOOP},
         {"a.html", "b.html: a link that loops, or too many links in a row (errno 40)", "c.html"}},
    };
    for (const Case& c : cases) {
        script = {};
        script.*c.calls = c.steps;
        EXPECT_EQ(Search(files_), c.met) << c.name;
    }
}

// The time comes from the file that was read, whole seconds since 1970 UTC,
// one before 1970 and one centuries ahead as they are.
TEST_F(PosixFilesTest, AReadGivesTheLastWriteTimeOfTheFileItRead)
{
    for (const std::int64_t seconds : {std::int64_t{1796000000}, std::int64_t{-86401}, std::int64_t{13569465600}}) {
        // Read a day after it was written, a moment before the next second.
        const timespec times[2] = {{static_cast<time_t>(seconds + 86400), 0},
                                   {static_cast<time_t>(seconds), 999999999}};
        ASSERT_EQ(utimensat(AT_FDCWD, Report().c_str(), times, 0), 0) << std::strerror(errno);
        const FileResult<FileBytes> read = files_.Read(Report().native(), MaxReportBytes);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->lastWrite, seconds);
        EXPECT_EQ(read->bytes, EmbeddedGoldenAllPass);
    }
}

} // namespace
} // namespace Talvane::Nimlo
