#include "platform/win32/Win32Files.h"

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "platform/win32/WideString.h"

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

TEST(FilesIntegrationTest, ALongerExistingFileIsReplacedByExactlyTheNewBytes)
{
    const TemporaryFile report;
    report.Fill(std::string(100000, 'x'));

    Win32FileSystem files;
    const std::optional<NativeFile> file = files.CreateAlways(report.Path());
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(files.Write(*file, "<!DOCTYPE html>"), std::optional<std::uint32_t>(15));
    files.Close(*file);

    EXPECT_EQ(report.Content(), "<!DOCTYPE html>");
}

TEST(FilesIntegrationTest, OthersMayReadButNotWriteWhileItIsOpen)
{
    const TemporaryFile report;
    Win32FileSystem files;
    const std::optional<NativeFile> file = files.CreateAlways(report.Path());
    ASSERT_TRUE(file.has_value());
    EXPECT_TRUE(CanOpen(report.Path(), GENERIC_READ));
    EXPECT_FALSE(CanOpen(report.Path(), GENERIC_WRITE));
    files.Close(*file);
    EXPECT_TRUE(CanOpen(report.Path(), GENERIC_WRITE));
}

TEST(FilesIntegrationTest, AFileThatCannotBeCreatedGivesNoHandle)
{
    Win32FileSystem files;
    EXPECT_FALSE(files.CreateAlways(u"Z:\\no such directory here\\report.html").has_value());
}

} // namespace
} // namespace Talvane::Nimlo
