// The fleet's files on POSIX with their system calls made to fail, step by
// step, under the summary's search and intake.
#include "platform/posix/PosixFleetFiles.h"

#include <cerrno>
#include <cstring>
#include <deque>

#include <gtest/gtest.h>

#include "fakes/ThreeReportsFolder.h"

namespace Talvane::Nimlo {
namespace {

// What the next calls of one kind do, one entry a call: an errno value to
// fail with, Short (a read that takes a quarter), or Real (the system's own);
// Grows stays and hands out bytes for ever, as a file that grows while it is
// read. Once the entries run out, the system's own.
constexpr int Real = 0;
constexpr int Short = -1;
constexpr int Grows = -2;

struct Script {
    std::deque<int> lstat, opendir, readdir, open, read;
};
Script script; // NOLINT(cppcoreguidelines-avoid-non-const-global-variables): the calls are plain functions

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

PosixFleetCalls Scripted()
{
    static const PosixFleetCalls system = PosixFleetCalls::System();
    PosixFleetCalls calls = system;
    calls.lstat = [](const char* path, struct stat* status) {
        return Next(script.lstat) == Real ? system.lstat(path, status) : -1;
    };
    calls.opendir = [](const char* path) { return Next(script.opendir) == Real ? system.opendir(path) : nullptr; };
    calls.readdir = [](DIR* directory) { return Next(script.readdir) == Real ? system.readdir(directory) : nullptr; };
    calls.open = [](const char* path, int flags) { return Next(script.open) == Real ? system.open(path, flags) : -1; };
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

class PosixFleetFilesTest : public Testing::ThreeReportsFolder {
protected:
    void SetUp() override
    {
        script = {};
        ThreeReportsFolder::SetUp();
    }

    PosixFleetFiles files_{Scripted()};
};

TEST_F(PosixFleetFilesTest, AReadIsMadeAgainAfterASignalCarriedOnAfterAShortOneAndBoundedWhileTheFileGrows)
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
        {"read fails", &Script::read, {Short, EIO}, "cannot be read (Input/output error)"},
        {"open refused", &Script::open, {EACCES}, "cannot be read (permission denied)"},
    };
    for (const Case& c : cases) {
        script = {};
        script.*c.calls = c.steps;
        EXPECT_EQ(Take(files_), c.taken) << c.name;
    }
    script = {};
    script.read = {Short, Grows};
    const Result<std::string> grown = files_.Read(Report(), 100000);
    ASSERT_FALSE(grown);
    EXPECT_EQ(grown.error(), "grew past 100000 bytes while it was read");
}

TEST_F(PosixFleetFilesTest, AListingThatBreaksOffOrAnEntryThatCannotBeExaminedIsNamed)
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
         {"reports: cannot be searched (Input/output error)"}},
        {"a folder that cannot be opened",
         &Script::opendir,
         {EACCES},
         {"reports: cannot be searched (permission denied)"}},
        {"an interrupted look-up", &Script::lstat, {EINTR, Real, EINTR}, {"a.html", "b.html", "c.html"}},
        {"a look-up that loops",
         &Script::lstat,
         {Real, Real, ELOOP},
         {"a.html", "b.html: a link that loops, or too many links in a row", "c.html"}},
    };
    for (const Case& c : cases) {
        script = {};
        script.*c.calls = c.steps;
        EXPECT_EQ(Search(files_), c.met) << c.name;
    }
}

} // namespace
} // namespace Talvane::Nimlo
