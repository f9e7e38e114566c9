#include "app/FileHandle.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include "fakes/FakeRunServices.h"

namespace Talvane::Nimlo {
namespace {

using Testing::FakeFileSystem;

std::string ErrorOf(FileHandle& file, const std::string& bytes)
{
    try {
        file.Write(bytes);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "no error";
}

TEST(FileHandleTest, WritesExactlyTheBytes)
{
    FakeFileSystem files;
    {
        FileHandle file = CreateReportFile(files, u"out.html");
        file.Write(std::string("a\0b\r\n", 5));
    }
    EXPECT_EQ(files.files.at(u"out.html"), std::string("a\0b\r\n", 5));
    EXPECT_EQ(files.log, (std::vector<std::string>{"create", "write", "close"}));
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
        FileHandle file = CreateReportFile(files, u"b");
    }
    EXPECT_EQ(files.closes.at(NativeFile{100}), 1);
    EXPECT_EQ(files.closes.at(NativeFile{101}), 1);
}

TEST(FileHandleTest, MovedFromHandleDoesNotClose)
{
    FakeFileSystem files;
    {
        FileHandle first = CreateReportFile(files, u"a");
        FileHandle second(std::move(first));
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
    EXPECT_EQ(ErrorOf(file, "x"), "Handle is null!");
    EXPECT_EQ(files.log, (std::vector<std::string>{"create"}));
}

TEST(FileHandleTest, FailedOrShortWriteRaises)
{
    FakeFileSystem failing;
    failing.failWrite = true;
    FileHandle failed = CreateReportFile(failing, u"a");
    EXPECT_EQ(ErrorOf(failed, "page"), "Failed to write file");

    FakeFileSystem shortWrites;
    shortWrites.shortWrite = true;
    FileHandle shortened = CreateReportFile(shortWrites, u"a");
    EXPECT_EQ(ErrorOf(shortened, "page"), "Failed to write file");
}

} // namespace
} // namespace Talvane::Nimlo
