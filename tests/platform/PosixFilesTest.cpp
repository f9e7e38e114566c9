#include "platform/posix/PosixFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "files/FileWriter.h"
#include "platform/posix/PosixClock.h"

namespace Talvane::Nimlo {
namespace {

namespace fs = std::filesystem;

// What the next calls of one kind do, one entry a call: an errno value to
// fail with, ShortWrite (a write that takes half), or Real (the system's own);
// once the entries run out, the system's own.
constexpr int Real = 0;
constexpr int ShortWrite = -1;

struct Script {
    std::deque<int> open, write, fsync, rename, unlink, close;
};
Script script; // NOLINT(cppcoreguidelines-avoid-non-const-global-variables): the calls are plain functions

// The next step for `queue`: 0 to go on with the real call, else its result
// after errno is set.
int Next(std::deque<int>& queue)
{
    if (queue.empty()) {
        return Real;
    }
    const int step = queue.front();
    queue.pop_front();
    if (step > 0) {
        errno = step;
    }
    return step;
}

PosixFileCalls Scripted()
{
    static const PosixFileCalls system = PosixFileCalls::System();
    return {[](const char* path, int flags, mode_t mode) {
                return Next(script.open) == Real ? system.open(path, flags, mode) : -1;
            },
            [](int descriptor, const void* bytes, size_t count) -> ssize_t {
                const int step = Next(script.write);
                if (step == ShortWrite) {
                    return system.write(descriptor, bytes, count / 2);
                }
                return step == Real ? system.write(descriptor, bytes, count) : -1;
            },
            [](int descriptor) { return Next(script.fsync) == Real ? system.fsync(descriptor) : -1; },
            [](const char* from, const char* to) { return Next(script.rename) == Real ? system.rename(from, to) : -1; },
            [](const char* path) { return Next(script.unlink) == Real ? system.unlink(path) : -1; },
            [](int descriptor) {
                // A close that fails still lets the descriptor go, as Linux does.
                const int step = Next(script.close);
                const int result = system.close(descriptor);
                if (step != Real) {
                    errno = step;
                    return -1;
                }
                return result;
            }};
}

class PosixFilesTest : public testing::Test {
protected:
    void SetUp() override
    {
        script = {};
        folder_ = fs::temp_directory_path() / ("nimlo-posix-files-" + std::to_string(getpid()) + "-" +
                                               testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        std::ofstream(folder_ / "out.csv") << "earlier";
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::u16string Target() const { return FileNameFromBytes((folder_ / "out.csv").native()); }
    std::string Content() const
    {
        std::ostringstream bytes;
        bytes << std::ifstream(folder_ / "out.csv").rdbuf();
        return bytes.str();
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    // Replaces out.csv with `bytes` through the scripted calls, as every
    // writer of the project does.
    WriteResult Replace(std::string_view bytes)
    {
        PosixFileSystem files(Scripted());
        PosixClock clock;
        BusyRetries retries(clock, 0);
        FileWriter writer(files, Target(), WriteWay::Replace);
        if (WriteResult written = writer.Write(bytes); !written) {
            return written;
        }
        return writer.Finish(retries);
    }

    fs::path folder_;
};

// Interrupted calls are made again and a short write is carried on: the
// file is replaced whole.
TEST_F(PosixFilesTest, InterruptedCallsAndShortWritesStillReplaceTheFileWhole)
{
    script.open = {EINTR, Real};
    script.write = {EINTR, ShortWrite, EINTR, ShortWrite};
    script.fsync = {EINTR};
    script.rename = {EINTR};
    EXPECT_TRUE(Replace("0123456789abcdef"));
    EXPECT_EQ(Content(), "0123456789abcdef");
    EXPECT_EQ(Names(), std::vector<std::string>{"out.csv"});
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
        {"write after a short one", &Script::write, {ShortWrite, ENOSPC}, false},
        {"flush", &Script::fsync, {ENOSPC}, false},
        {"close after the flush", &Script::close, {ENOSPC}, true},
        {"rename", &Script::rename, {ENOSPC}, false},
    };
    for (const Case& c : cases) {
        script = {};
        std::ofstream(folder_ / "out.csv") << "earlier";
        script.*c.calls = c.steps;
        const WriteResult result = Replace("new bytes");
        EXPECT_EQ(result.has_value(), c.replaced) << c.step;
        if (!result) {
            EXPECT_EQ(result.error().code, SystemCode::Errno(ENOSPC)) << c.step;
            EXPECT_FALSE(result.error().inUse) << c.step;
        }
        EXPECT_EQ(Content(), c.replaced ? "new bytes" : "earlier") << c.step;
        EXPECT_EQ(Names(), std::vector<std::string>{"out.csv"}) << c.step;
    }
}

TEST_F(PosixFilesTest, AWriteThatTakesNothingAndSaysNothingEndsTheWrite)
{
    PosixFileSystem files(Scripted());
    const NewFile created = files.CreateNew(FileNameFromBytes((folder_ / "new").native()));
    ASSERT_TRUE(created);
    PosixFileCalls nothing = Scripted();
    nothing.write = [](int, const void*, size_t) -> ssize_t { return 0; };
    PosixFileSystem stuck(nothing);
    const Written written = stuck.Write(*created, "bytes");
    EXPECT_EQ(written.count, 0u);
    EXPECT_FALSE(written.error);
    EXPECT_TRUE(files.Close(*created));
}

} // namespace
} // namespace Talvane::Nimlo
