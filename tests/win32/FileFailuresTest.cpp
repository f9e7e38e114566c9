// The Windows files with their system calls made to fail, step by step, on
// the real file system under the program's own report writer.
#include <windows.h>

#include <deque>
#include <string>

#include <gtest/gtest.h>

#include "app/PendingReport.h"
#include "fakes/FakeClock.h"
#include "platform/SystemError.h"
#include "platform/win32/WideString.h"
#include "platform/win32/Win32Files.h"

namespace Talvane::Nimlo {
namespace {

// What the next calls of one kind do, one entry a call: a Win32 code to fail
// with, HalfWrite (WriteFile takes half and succeeds), or Real; once the
// entries run out, the system's own.
constexpr DWORD Real = 0;
constexpr DWORD HalfWrite = 0xFFFFFFFF;

struct Script {
    std::deque<DWORD> create, write, flush, move, remove, close;
};
Script script; // NOLINT(cppcoreguidelines-avoid-non-const-global-variables): the calls are plain functions

DWORD Next(std::deque<DWORD>& queue)
{
    if (queue.empty()) {
        return Real;
    }
    const DWORD step = queue.front();
    queue.pop_front();
    if (step != HalfWrite) {
        SetLastError(step);
    }
    return step;
}

HANDLE WINAPI Create(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                     DWORD flags, HANDLE model)
{
    // Only the creation of a new file is scripted, not the look at a busy target.
    if (disposition == CREATE_NEW && Next(script.create) != Real) {
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(name, access, share, security, disposition, flags, model);
}

BOOL WINAPI Write(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED overlapped)
{
    const DWORD step = Next(script.write);
    if (step == HalfWrite) {
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

constexpr Win32FileCalls Scripted{&Create, &Write, &Flush, &Move, &Remove, &Close};

class FileFailuresTest : public testing::Test {
protected:
    void SetUp() override
    {
        script = {};
        wchar_t temporary[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temporary);
        folder_ = FromWide(temporary, wcslen(temporary)) + u"nimlo-file-failures-" +
                  std::u16string(1, static_cast<char16_t>(u'a' + GetCurrentProcessId() % 26)) + u"\\";
        CreateDirectoryW(AsWide(folder_), nullptr);
        Fill(u"earlier");
    }
    void TearDown() override
    {
        for (const std::u16string& name : Names()) {
            DeleteFileW(AsWide(folder_ + name));
        }
        RemoveDirectoryW(AsWide(folder_));
    }

    std::u16string Report() const { return folder_ + u"System Assessment Results.html"; }

    void Fill(const char16_t* text) const
    {
        const HANDLE file = CreateFileW(AsWide(Report()), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        const std::string bytes(text, text + std::char_traits<char16_t>::length(text));
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }

    std::string Content() const
    {
        const HANDLE file =
            CreateFileW(AsWide(Report()), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        char bytes[256] = {};
        DWORD read = 0;
        ReadFile(file, bytes, sizeof bytes, &read, nullptr);
        CloseHandle(file);
        return std::string(bytes, read);
    }

    std::vector<std::u16string> Names() const
    {
        std::vector<std::u16string> names;
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW(AsWide(folder_ + u"*"), &found);
        if (search == INVALID_HANDLE_VALUE) {
            return names;
        }
        do {
            const std::u16string name = FromWide(found.cFileName, wcslen(found.cFileName));
            if (name != u"." && name != u"..") {
                names.push_back(name);
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return names;
    }

    // Writes a report as the program does; the code of the failure, 0 when
    // the report was replaced.
    std::uint32_t WriteReport(const std::string& page)
    {
        Win32FileSystem files(Scripted);
        try {
            PendingReport report(files, clock_, Report());
            report.Write(page);
            report.Commit();
            return 0;
        } catch (const SystemError& error) {
            return error.Code() ? error.Code()->value : 0xFFFF;
        }
    }

    std::u16string folder_;
    Testing::FakeClock clock_;
};

// A full disk at any step leaves the earlier report as it was, nothing
// beside it, and the run has the system's code to say.
TEST_F(FileFailuresTest, AFullDiskAtAnyStepLeavesTheEarlierReportAndNothingElse)
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
        EXPECT_EQ(Names(), std::vector<std::u16string>{u"System Assessment Results.html"}) << c.step;
    }
}

// A write that comes up short is a failure of its own (no code to give); a
// close that fails after the bytes are safe does not stop the report.
TEST_F(FileFailuresTest, AShortWriteFailsAndAFailedCloseDoesNot)
{
    script.write = {HalfWrite};
    EXPECT_EQ(WriteReport("new page"), 0xFFFFu);
    EXPECT_EQ(Content(), "earlier");
    EXPECT_EQ(Names(), std::vector<std::u16string>{u"System Assessment Results.html"});

    script = {};
    script.close = {ERROR_DISK_FULL};
    EXPECT_EQ(WriteReport("new page"), 0u);
    EXPECT_EQ(Content(), "new page");
}

// A target held open elsewhere is tried again; a refusal of another kind is not.
TEST_F(FileFailuresTest, OnlyASharingViolationIsTriedAgain)
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
    EXPECT_EQ(Names(), std::vector<std::u16string>{u"System Assessment Results.html"});
}

} // namespace
} // namespace Talvane::Nimlo
