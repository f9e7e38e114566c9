#include "app/FileHandle.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include "fakes/FakeRunServices.h"

namespace Talvane::Nimlo {
namespace {

using Testing::FakeFileSystem;

FileHandle Open(FakeFileSystem& files, const std::u16string& name)
{
    return FileHandle(files, files.CreateNew(name).file);
}

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
        FileHandle file = Open(files, u"out.html");
        file.Write(std::string("a\0b\r\n", 5));
    }
    EXPECT_EQ(files.files.at(u"out.html"), std::string("a\0b\r\n", 5));
    EXPECT_EQ(files.log, (std::vector<std::string>{"create", "write", "close"}));
}

TEST(FileHandleTest, ClosedOnceWhetherClosedOrDestroyed)
{
    FakeFileSystem files;
    {
        FileHandle file = Open(files, u"a");
        file.Close();
        file.Close();
        EXPECT_FALSE(file.IsOpen());
    }
    {
        FileHandle file = Open(files, u"b");
    }
    EXPECT_EQ(files.closes.at(NativeFile{100}), 1);
    EXPECT_EQ(files.closes.at(NativeFile{101}), 1);
}

TEST(FileHandleTest, MovedFromHandleDoesNotClose)
{
    FakeFileSystem files;
    {
        FileHandle first = Open(files, u"a");
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
    FileHandle file = Open(files, u"a");
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(ErrorOf(file, "x"), "Handle is null!");
    EXPECT_THROW(file.Flush(), std::runtime_error);
    EXPECT_EQ(files.log, (std::vector<std::string>{"create"}));
}

TEST(FileHandleTest, FailedOrShortWriteRaises)
{
    FakeFileSystem failing;
    failing.failWrite = true;
    FileHandle failed = Open(failing, u"a");
    EXPECT_EQ(ErrorOf(failed, "page"), "Failed to write file");

    FakeFileSystem shortWrites;
    shortWrites.shortWrite = true;
    FileHandle shortened = Open(shortWrites, u"a");
    EXPECT_EQ(ErrorOf(shortened, "page"), "Failed to write file");

    FakeFileSystem failingFlush;
    failingFlush.failFlush = true;
    FileHandle unflushed = Open(failingFlush, u"a");
    unflushed.Write("page");
    try {
        unflushed.Flush();
        ADD_FAILURE() << "a failed flush went unnoticed";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Failed to write file");
    }
}

} // namespace
} // namespace Talvane::Nimlo
