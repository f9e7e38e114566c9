#include "platform/win32/Win32Files.h"

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "platform/SystemError.h"
#include "platform/win32/WideString.h"
#include "platform/win32/Win32Resources.h"

namespace Talvane::Nimlo {
namespace {

// A file of its own in the temporary directory, deleted afterwards.
class TemporaryFile {
public:
    TemporaryFile()
    {
        wchar_t directory[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, directory);
        wchar_t path[MAX_PATH] = {};
        GetTempFileNameW(directory, L"nim", 0, path);
        path_ = FromWide(path, wcslen(path));
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() { DeleteFileW(AsWide(path_)); }

    const std::u16string& Path() const { return path_; }
    FilePath Name() const { return FilePath(path_.begin(), path_.end()); }

    void Fill(const std::string& bytes) const
    {
        const HANDLE file = CreateFileW(AsWide(path_), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }

    std::string Content() const
    {
        const HANDLE file = CreateFileW(AsWide(path_), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return "<cannot open>";
        }
        std::string bytes(1 << 20, '\0');
        DWORD read = 0;
        ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
        CloseHandle(file);
        bytes.resize(read);
        return bytes;
    }

private:
    std::u16string path_;
};

bool CanOpen(const std::u16string& path, DWORD access)
{
    const HANDLE file = CreateFileW(AsWide(path), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
}

TEST(FilesIntegrationTest, ANameThatIsTakenIsNeitherOpenedNorTouched)
{
    const TemporaryFile existing;
    existing.Fill("earlier bytes");

    Win32FileSystem files;
    const FileResult<NativeFile> created = files.CreateNew(existing.Name());
    ASSERT_FALSE(created);
    EXPECT_TRUE(created.error().Is(Condition::NameTaken));
    EXPECT_EQ(existing.Content(), "earlier bytes");
}

TEST(FilesIntegrationTest, ALongerExistingFileIsReplacedByExactlyTheNewBytes)
{
    const TemporaryFile report;
    report.Fill(std::string(100000, 'x'));
    TemporaryFile pending;
    DeleteFileW(AsWide(pending.Path()));

    Win32FileSystem files;
    const FileResult<NativeFile> created = files.CreateNew(pending.Name());
    ASSERT_TRUE(created);
    EXPECT_TRUE(files.Write(*created, "<!DOCTYPE html>"));
    EXPECT_TRUE(files.Flush(*created));
    files.Close(*created);
    EXPECT_TRUE(files.Rename(pending.Name(), report.Name()));

    EXPECT_EQ(report.Content(), "<!DOCTYPE html>");
    EXPECT_EQ(GetFileAttributesW(AsWide(pending.Path())), INVALID_FILE_ATTRIBUTES);
}

TEST(FilesIntegrationTest, OthersMayReadButNotWriteWhileItIsOpen)
{
    TemporaryFile report;
    DeleteFileW(AsWide(report.Path()));
    Win32FileSystem files;
    const FileResult<NativeFile> created = files.CreateNew(report.Name());
    ASSERT_TRUE(created);
    EXPECT_TRUE(CanOpen(report.Path(), GENERIC_READ));
    EXPECT_FALSE(CanOpen(report.Path(), GENERIC_WRITE));
    files.Close(*created);
    EXPECT_TRUE(CanOpen(report.Path(), GENERIC_WRITE));
    EXPECT_TRUE(files.Remove(report.Name()));
    EXPECT_FALSE(CanOpen(report.Path(), GENERIC_READ));
}

TEST(FilesIntegrationTest, AFileThatCannotBeCreatedGivesNoHandle)
{
    Win32FileSystem files;
    const FileResult<NativeFile> created = files.CreateNew(L"Z:\\no such directory here\\report.html");
    ASSERT_FALSE(created);
    EXPECT_FALSE(created.error().Is(Condition::NameTaken));
}

TEST(FilesIntegrationTest, UnforeseeableNumbersDiffer)
{
    Win32FileSystem files;
    const std::optional<std::uint64_t> first = files.UnforeseeableNumber();
    const std::optional<std::uint64_t> second = files.UnforeseeableNumber();
    ASSERT_TRUE(first.has_value() && second.has_value());
    EXPECT_NE(*first, *second);
}

TEST(FilesIntegrationTest, FailuresKeepTheSystemsCode)
{
    Win32FileSystem files;
    const FileResult<NativeFile> impossible = files.CreateNew(L"no such folder\\report.tmp");
    ASSERT_FALSE(impossible);
    EXPECT_EQ(impossible.error().Code(), SystemCode::Win32(ERROR_PATH_NOT_FOUND));

    const FileStatus renamed = files.Rename(L"no such file.tmp", L"report.html");
    ASSERT_FALSE(renamed);
    EXPECT_EQ(renamed.error().Code(), SystemCode::Win32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(files.Remove(L"no such file.tmp").error().Code(), SystemCode::Win32(ERROR_FILE_NOT_FOUND));
}

// This test program has no report template among its resources.
TEST(ResourcesIntegrationTest, AMissingTemplateSaysSoWithTheSystemsCode)
{
    try {
        LoadReportTemplate();
        ADD_FAILURE() << "a missing template went unnoticed";
    } catch (const SystemError& error) {
        ASSERT_TRUE(error.Code());
        EXPECT_EQ(error.Text(), "the report template is missing from the program");
        EXPECT_EQ(std::string(error.what()), "the report template is missing from the program (Win32 error " +
                                                 std::to_string(error.Code()->value) + ")");
    }
}

} // namespace
} // namespace Talvane::Nimlo
