// The files on Windows with their system calls made to fail, step by step:
// on the real file system under the program's own report writer, and under
// the summary's search and intake.
#include "platform/win32/Win32Files.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "app/FileHandle.h"
#include "fakes/FakeClock.h"
#include "fakes/ThreeReportsFolder.h"
#include "platform/SystemError.h"

namespace Talvane::Nimlo {
namespace {

namespace fs = std::filesystem;

// What the next calls of one kind do, one entry a call: a Win32 code to fail
// with, Short (WriteFile takes half and succeeds, ReadFile a quarter), or
// Real; Grows stays and hands out bytes for ever, as a file that grows while
// it is read. Once the entries run out, the system's own.
constexpr DWORD Real = 0;
constexpr DWORD Short = 0xFFFFFFFF;
constexpr DWORD Grows = 0xFFFFFFFE;

struct Script {
    std::deque<DWORD> create, write, flush, move, remove, close, examine, open, read, findFirst, findNext;
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
    // A new file, a look at what a name leads to (no access asked), a read;
    // not the look at a busy target.
    std::deque<DWORD>* calls = disposition == CREATE_NEW ? &script.create
                               : access == 0             ? &script.examine
                               : access == GENERIC_READ  ? &script.open
                                                         : nullptr;
    if (calls != nullptr && Next(*calls) != Real) {
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(name, access, share, security, disposition, flags, model);
}

BOOL WINAPI Write(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED overlapped)
{
    const DWORD step = Next(script.write);
    if (step == Short) {
        return WriteFile(file, bytes, count / 2, written, overlapped);
    }
    return step == Real ? WriteFile(file, bytes, count, written, overlapped) : FALSE;
}

BOOL WINAPI Flush(HANDLE file)
{
    return Next(script.flush) == Real ? FlushFileBuffers(file) : FALSE;
}

BOOL WINAPI Move(LPCWSTR from, LPCWSTR to, DWORD flags)
{
    return Next(script.move) == Real ? MoveFileExW(from, to, flags) : FALSE;
}

BOOL WINAPI Remove(LPCWSTR name)
{
    return Next(script.remove) == Real ? DeleteFileW(name) : FALSE;
}

BOOL WINAPI Close(HANDLE file)
{
    const DWORD step = Next(script.close);
    const BOOL closed = CloseHandle(file); // the handle goes either way
    if (step != Real) {
        SetLastError(step);
        return FALSE;
    }
    return closed;
}

BOOL WINAPI Read(HANDLE file, LPVOID bytes, DWORD count, LPDWORD read, LPOVERLAPPED overlapped)
{
    switch (Next(script.read)) {
    case Real:
        return ReadFile(file, bytes, count, read, overlapped);
    case Short:
        return ReadFile(file, bytes, count / 4, read, overlapped);
    case Grows:
        std::memset(bytes, 'x', count);
        *read = count;
        return TRUE;
    default:
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

Win32FileCalls Scripted()
{
    Win32FileCalls calls;
    calls.createFile = &Create;
    calls.writeFile = &Write;
    calls.flushFileBuffers = &Flush;
    calls.moveFileEx = &Move;
    calls.deleteFile = &Remove;
    calls.closeHandle = &Close;
    calls.readFile = &Read;
    calls.findFirstFile = &FindFirst;
    calls.findNextFile = &FindNext;
    return calls;
}

class Win32FilesTest : public Testing::ThreeReportsFolder {
protected:
    void SetUp() override
    {
        script = {};
        ThreeReportsFolder::SetUp();
        Fill("earlier");
    }

    fs::path Target() const { return folder_ / "System Assessment Results.html"; }

    void Fill(const char* bytes) const { std::ofstream(Target(), std::ios::binary) << bytes; }

    std::string Content() const
    {
        std::ostringstream bytes;
        bytes << std::ifstream(Target(), std::ios::binary).rdbuf();
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

    // Writes a report as the program does, through the scripted calls unless
    // told otherwise; the code of the failure, 0 when the report was replaced.
    std::uint32_t WriteReport(const std::string& page) { return WriteReport(page, files_); }
    std::uint32_t WriteReport(const std::string& page, FileSystem& files)
    {
        const std::wstring target = Target().native();
        try {
            FileHandle report = CreateReportFile(files, std::u16string(target.begin(), target.end()));
            report.Write(page);
            report.Commit(clock_);
            return 0;
        } catch (const SystemError& error) {
            return error.Code() ? error.Code()->value : 0xFFFF;
        }
    }

    Win32FileSystem files_{Scripted()};
    Testing::FakeClock clock_;
};

const std::vector<std::string> Untouched{"System Assessment Results.html", "reports"};

// A full disk at any step leaves the earlier report as it was, nothing
// beside it, and the run has the system's code to say.
TEST_F(Win32FilesTest, AFullDiskAtAnyStepLeavesTheEarlierReportAndNothingElse)
{
    struct Case {
        const char* step;
        std::deque<DWORD> Script::*calls;
    };
    const Case cases[] = {
        {"create", &Script::create}, {"write", &Script::write}, {"flush", &Script::flush}, {"rename", &Script::move}};
    for (const Case& c : cases) {
        script = {};
        script.*c.calls = {ERROR_DISK_FULL};
        EXPECT_EQ(WriteReport("new page"), static_cast<std::uint32_t>(ERROR_DISK_FULL)) << c.step;
        EXPECT_EQ(Content(), "earlier") << c.step;
        EXPECT_EQ(Names(), Untouched) << c.step;
    }
}

// A write that comes up short is a failure of its own (no code to give); a
// close that fails after the bytes are safe does not stop the report.
TEST_F(Win32FilesTest, AShortWriteFailsAndAFailedCloseDoesNot)
{
    script.write = {Short};
    EXPECT_EQ(WriteReport("new page"), 0xFFFFu);
    EXPECT_EQ(Content(), "earlier");
    EXPECT_EQ(Names(), Untouched);

    script = {};
    script.close = {ERROR_DISK_FULL};
    EXPECT_EQ(WriteReport("new page"), 0u);
    EXPECT_EQ(Content(), "new page");
}

// A target held open elsewhere is tried again; a refusal of another kind is not.
TEST_F(Win32FilesTest, OnlyASharingViolationIsTriedAgain)
{
    script.move = {ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION};
    EXPECT_EQ(WriteReport("new page"), 0u);
    EXPECT_EQ(Content(), "new page");
    EXPECT_EQ(clock_.Slept(), 300u);

    script = {};
    script.move = {ERROR_WRITE_PROTECT};
    EXPECT_EQ(WriteReport("newer page"), static_cast<std::uint32_t>(ERROR_WRITE_PROTECT));
    EXPECT_EQ(Content(), "new page");
    EXPECT_EQ(clock_.Slept(), 300u);
    EXPECT_EQ(Names(), Untouched);
}

// The program's own table writes the report, and refuses every read, which
// it has no call for.
TEST_F(Win32FilesTest, TheProgramsTableWritesAndReadsNothing)
{
    Win32FileSystem program(Win32FileCalls::WritingOnly());
    EXPECT_EQ(WriteReport("new page", program), 0u);
    EXPECT_EQ(Content(), "new page");
    EXPECT_FALSE(program.Read(Report().native(), MaxReportBytes));
    const FileResult<std::vector<ListedName>> listed = program.List(folder_.native());
    ASSERT_FALSE(listed);
    EXPECT_EQ(listed.error().Code(), SystemCode::Win32(ERROR_CALL_NOT_IMPLEMENTED));
    EXPECT_FALSE(program.CreateFolder((folder_ / "new").native()));
    const FileResult<Entry> kept = program.Examine(Report().native(), Links::Keep);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->type, EntryType::Regular);
}

TEST_F(Win32FilesTest, AShortReadIsCarriedOnAFailedOneNamedAndAGrowingFileBounded)
{
    struct Case {
        const char* name;
        std::deque<DWORD> Script::*calls;
        std::deque<DWORD> steps;
        std::string taken;
    };
    const Case cases[] = {
        {"short", &Script::read, {Short, Short, Short, Short, Short}, "SRV-Z\xC3\x9CRICH"},
        {"read fails", &Script::read, {Short, ERROR_NETNAME_DELETED}, "cannot be read (Win32 error 64)"},
        {"open refused", &Script::open, {ERROR_ACCESS_DENIED}, "cannot be read (permission denied (Win32 error 5))"},
        {"held open",
         &Script::open,
         {ERROR_SHARING_VIOLATION},
         "cannot be read (in use by another program (Win32 error 32))"},
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

TEST_F(Win32FilesTest, AListingThatBreaksOffOrAnEntryThatCannotBeExaminedIsNamed)
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
         {"reports: cannot be searched (Win32 error 64)"}},
        {"a folder that cannot be listed",
         &Script::findFirst,
         {ERROR_ACCESS_DENIED},
         {"reports: cannot be searched (permission denied (Win32 error 5))"}},
        {"a look-up that loops",
         &Script::examine,
         {Real, Real, 1921},
         {"a.html", "b.html: a link that loops, or too many links in a row (Win32 error 1921)", "c.html"}},
    };
    for (const Case& c : cases) {
        script = {};
        script.*c.calls = c.steps;
        EXPECT_EQ(Search(files_), c.met) << c.name;
    }
}

// The time comes from the handle that was read, whole seconds since 1970
// UTC, one before 1970 and one centuries ahead as they are.
TEST_F(Win32FilesTest, AReadGivesTheLastWriteTimeOfTheFileItRead)
{
    for (const std::int64_t seconds : {std::int64_t{1796000000}, std::int64_t{-86401}, std::int64_t{13569465600}}) {
        // 100 ns since 1601, a moment before the next second.
        const std::uint64_t ticks = static_cast<std::uint64_t>(seconds + 11644473600) * 10000000u + 9999999u;
        const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
        const HANDLE file =
            CreateFileW(Report().c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
        CloseHandle(file);
        const FileResult<FileBytes> read = files_.Read(Report().native(), MaxReportBytes);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->lastWrite, seconds);
        EXPECT_EQ(read->bytes, EmbeddedGoldenAllPass);
        EXPECT_EQ(UnixSeconds(time), seconds);
    }
}

} // namespace
} // namespace Talvane::Nimlo
