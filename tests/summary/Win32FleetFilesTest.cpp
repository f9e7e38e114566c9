// The fleet's files on Windows with their system calls made to fail, step
// by step, under the summary's search and intake.
#include "platform/win32/Win32FleetFiles.h"

#include <cstring>
#include <deque>

#include <gtest/gtest.h>

#include "fakes/ThreeReportsFolder.h"

namespace Talvane::Nimlo {
namespace {

// What the next calls of one kind do, one entry a call: a Win32 code to fail
// with, Short (a read that takes a quarter), or Real (the system's own);
// Grows stays and hands out bytes for ever, as a file that grows while it is
// read. Once the entries run out, the system's own.
constexpr DWORD Real = 0;
constexpr DWORD Short = 0xFFFFFFFF;
constexpr DWORD Grows = 0xFFFFFFFE;

struct Script {
    std::deque<DWORD> examine, open, read, findFirst, findNext;
};
Script script; // NOLINT(cppcoreguidelines-avoid-non-const-global-variables): the calls are plain functions

DWORD Next(std::deque<DWORD>& queue)
{
    if (queue.empty()) {
        return Real;
    }
    const DWORD step = queue.front();
    if (step != Grows) {
        queue.pop_front();
    }
    if (step != Short && step != Grows) {
        SetLastError(step);
    }
    return step;
}

HANDLE WINAPI Create(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                     DWORD flags, HANDLE model)
{
    // A look at what a name leads to asks no access; a read asks to read.
    if (Next(access == 0 ? script.examine : script.open) != Real) {
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(name, access, share, security, disposition, flags, model);
}

BOOL WINAPI Read(HANDLE file, LPVOID bytes, DWORD count, LPDWORD read, LPOVERLAPPED overlapped)
{
    switch (const DWORD step = Next(script.read)) {
    case Real:
        return ReadFile(file, bytes, count, read, overlapped);
    case Short:
        return ReadFile(file, bytes, count / 4, read, overlapped);
    case Grows:
        std::memset(bytes, 'x', count);
        *read = count;
        return TRUE;
    default:
        static_cast<void>(step);
        return FALSE;
    }
}

HANDLE WINAPI FindFirst(LPCWSTR pattern, LPWIN32_FIND_DATAW found)
{
    return Next(script.findFirst) == Real ? FindFirstFileW(pattern, found) : INVALID_HANDLE_VALUE;
}

BOOL WINAPI FindNext(HANDLE search, LPWIN32_FIND_DATAW found)
{
    return Next(script.findNext) == Real ? FindNextFileW(search, found) : FALSE;
}

Win32FleetCalls Scripted()
{
    Win32FleetCalls calls;
    calls.createFile = &Create;
    calls.readFile = &Read;
    calls.findFirstFile = &FindFirst;
    calls.findNextFile = &FindNext;
    return calls;
}

class Win32FleetFilesTest : public Testing::ThreeReportsFolder {
protected:
    void SetUp() override
    {
        script = {};
        ThreeReportsFolder::SetUp();
    }

    Win32FleetFiles files_{Scripted()};
};

TEST_F(Win32FleetFilesTest, AShortReadIsCarriedOnAFailedOneNamedAndAGrowingFileBounded)
{
    struct Case {
        const char* name;
        std::deque<DWORD> Script::*calls;
        std::deque<DWORD> steps;
        std::string taken;
    };
    const Case cases[] = {
        {"short", &Script::read, {Short, Short, Short, Short, Short}, "SRV-Z\xC3\x9CRICH"},
        {"read fails", &Script::read, {Short, ERROR_NETNAME_DELETED}, "cannot be read (Windows error 64)"},
        {"open refused", &Script::open, {ERROR_ACCESS_DENIED}, "cannot be read (permission denied)"},
        {"held open", &Script::open, {ERROR_SHARING_VIOLATION}, "cannot be read (in use by another program)"},
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

TEST_F(Win32FleetFilesTest, AListingThatBreaksOffOrAnEntryThatCannotBeExaminedIsNamed)
{
    struct Case {
        const char* name;
        std::deque<DWORD> Script::*calls;
        std::deque<DWORD> steps;
        std::vector<std::string> met;
    };
    const Case cases[] = {
        {"as it is", &Script::findNext, {}, {"a.html", "b.html", "c.html"}},
        {"a listing that breaks off",
         &Script::findNext,
         {Real, Real, ERROR_NETNAME_DELETED},
         {"reports: cannot be searched (Windows error 64)"}},
        {"a folder that cannot be listed",
         &Script::findFirst,
         {ERROR_ACCESS_DENIED},
         {"reports: cannot be searched (permission denied)"}},
        {"a look-up that loops",
         &Script::examine,
         {Real, Real, 1921},
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
