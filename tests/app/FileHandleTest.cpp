#include "app/FileHandle.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include "fakes/FakeRunServices.h"
#include "platform/SystemError.h"

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

// Each failure of the platform keeps its code in the error; a short write,
// for which the platform gives none, says only what failed.
struct WriteFailure {
    const char* name;
    bool FakeFileSystem::*failure;
    bool flush; // the failure shows in Flush rather than Write
    std::uint32_t code;
    const char* message;
};

class FileHandleFailureTest : public testing::TestWithParam<WriteFailure> {};

TEST_P(FileHandleFailureTest, RaisesWin32ErrorWithThePlatformsCode)
{
    FakeFileSystem files;
    files.*GetParam().failure = true;
    const std::uint32_t openError = 1234;
    FileHandle file(files, files.CreateNew(u"a").file, openError);
    try {
        file.Write("page");
        if (GetParam().flush) {
            file.Flush();
        }
        ADD_FAILURE() << "the failure went unnoticed";
    } catch (const Win32Error& error) {
        EXPECT_EQ(error.Action(), "Failed to write file");
        EXPECT_EQ(error.Code(), GetParam().code);
        EXPECT_STREQ(error.what(), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FileHandleFailureTest,
    testing::Values(WriteFailure{"WriteFails", &FakeFileSystem::failWrite, false, FakeFileSystem::DiskFull,
                                 "Failed to write file (Win32 error 112)"},
                    WriteFailure{"ShortWrite", &FakeFileSystem::shortWrite, false, 0, "Failed to write file"},
                    WriteFailure{"FlushFails", &FakeFileSystem::failFlush, true, FakeFileSystem::DiskFull,
                                 "Failed to write file (Win32 error 112)"}),
    [](const testing::TestParamInfo<WriteFailure>& each) { return each.param.name; });

TEST(FileHandleTest, NullHandleCarriesTheCodeOfTheFailedCreation)
{
    FakeFileSystem files;
    FileHandle file(files, std::nullopt, FakeFileSystem::AccessDenied);
    try {
        file.Write("page");
        ADD_FAILURE() << "a write without a file went unnoticed";
    } catch (const Win32Error& error) {
        EXPECT_EQ(error.Action(), "Handle is null!");
        EXPECT_EQ(error.Code(), FakeFileSystem::AccessDenied);
    }
}

} // namespace
} // namespace Talvane::Nimlo
