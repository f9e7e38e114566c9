#include "app/FileHandle.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include "app/RunAssessment.h"
#include "fakes/FakeRunServices.h"
#include "platform/SystemError.h"

namespace Talvane::Nimlo {
namespace {

using Testing::FakeFileSystem;
using Testing::NameOf;

TEST(FileHandleTest, WritesExactlyTheBytes)
{
    FakeFileSystem files;
    Testing::FakeClock clock;
    FileHandle file = CreateReportFile(files, u"out.html");
    file.Write(std::string("a\0b\r\n", 5));
    file.Commit(clock);
    EXPECT_EQ(files.files, (std::map<FilePath, std::string>{{NameOf(u"out.html"), std::string("a\0b\r\n", 5)}}));
    EXPECT_EQ(files.log, (std::vector<std::string>{"number", "create", "write", "flush", "close", "rename"}));
}

TEST(FileHandleTest, ClosedOnceWhetherClosedOrDestroyed)
{
    FakeFileSystem files;
    {
        FileHandle file = CreateReportFile(files, u"a");
        file.Close();
        file.Close();
        EXPECT_FALSE(file.IsOpen());
    }
    {
        const FileHandle file = CreateReportFile(files, u"b");
    }
    EXPECT_EQ(files.closes.at(NativeFile{100}), 1);
    EXPECT_EQ(files.closes.at(NativeFile{101}), 1);
}

TEST(FileHandleTest, MovedFromHandleDoesNotClose)
{
    FakeFileSystem files;
    {
        FileHandle first = CreateReportFile(files, u"a");
        const FileHandle second(std::move(first));
        EXPECT_FALSE(first.IsOpen()); // NOLINT(bugprone-use-after-move): the moved-from owner must be empty
        EXPECT_TRUE(second.IsOpen());
    }
    EXPECT_EQ(files.closes.at(NativeFile{100}), 1);
}

TEST(FileHandleTest, NoFileMeansNullHandleAndNoPlatformCall)
{
    FakeFileSystem files;
    files.refuseCreate = true;
    FileHandle file = CreateReportFile(files, u"a");
    EXPECT_FALSE(file.IsOpen());
    const std::vector<std::string> calls = files.log;
    EXPECT_THROW(file.Write("x"), SystemError);
    EXPECT_EQ(files.log, calls);
}

// Each failure of each step in the words the run knows it by, with the
// system's code where it gave one (a write that comes up short gives none).
TEST(FileHandleTest, EachFailureSaysItsStepAndTheSystemsCode)
{
    struct Case {
        bool FakeFileSystem::*failure;
        const char* action;
        std::optional<SystemCode> code;
        const char* message;
    };
    const Case cases[] = {
        {&FakeFileSystem::refuseCreate, "Handle is null!", FakeFileSystem::AccessDenied,
         "Handle is null! (Win32 error 5)"},
        {&FakeFileSystem::noNumbers, "Handle is null!", std::nullopt, "Handle is null!"},
        {&FakeFileSystem::failWrite, "Failed to write file", FakeFileSystem::DiskFull,
         "Failed to write file (Win32 error 112)"},
        {&FakeFileSystem::shortWrite, "Failed to write file", std::nullopt, "Failed to write file"},
        {&FakeFileSystem::failFlush, "Failed to write file", FakeFileSystem::DiskFull,
         "Failed to write file (Win32 error 112)"},
        {&FakeFileSystem::failRename, "Failed to replace the report", FakeFileSystem::AccessDenied,
         "Failed to replace the report (Win32 error 5)"},
    };
    for (const Case& c : cases) {
        FakeFileSystem files;
        Testing::FakeClock clock;
        files.*c.failure = true;
        FileHandle file = CreateReportFile(files, u"report.html");
        try {
            file.Write("page");
            file.Commit(clock);
            ADD_FAILURE() << c.message << ": the failure went unnoticed";
        } catch (const SystemError& error) {
            EXPECT_EQ(error.Text(), c.action);
            EXPECT_EQ(error.Code(), c.code) << c.message;
            EXPECT_STREQ(error.what(), c.message);
        }
        EXPECT_TRUE(files.files.empty()) << c.message << ": the new file is removed";
    }
}

// The new report lies beside the report under a name of its own kind, and a
// report held open elsewhere is waited for five seconds.
TEST(FileHandleTest, TheNewReportIsNamedForTheReportAndABusyOneIsWaitedForFiveSeconds)
{
    FakeFileSystem files;
    Testing::FakeClock clock;
    files.files[NameOf(ReportFileName)] = "earlier";
    files.busyRenames = -1;
    {
        FileHandle report = CreateReportFile(files, ReportFileName);
        EXPECT_EQ(files.names.begin()->second, NameOf(u"~Results.0000000000001234.tmp"));
        report.Write("page");
        EXPECT_THROW(report.Commit(clock), SystemError);
    }
    EXPECT_EQ(clock.Slept(), BusyReportRetryMilliseconds);
    EXPECT_EQ(files.files, (std::map<FilePath, std::string>{{NameOf(ReportFileName), "earlier"}}));
}

} // namespace
} // namespace Talvane::Nimlo
