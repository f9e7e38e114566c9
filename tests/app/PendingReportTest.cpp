#include "app/PendingReport.h"

#include <algorithm>
#include <set>
#include <stdexcept>

#include <gtest/gtest.h>

#include "fakes/FakeRunServices.h"
#include "platform/SystemError.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

using Testing::FakeFileSystem;

TEST(PendingReportTest, NamesAreNeverPagesAndDifferWithTheirNumber)
{
    std::set<std::u16string> names;
    for (const std::uint64_t number : {0ULL, 1ULL, 0x10ULL, 0xFEDCBA9876543210ULL, ~0ULL}) {
        const std::u16string name = PendingReportName(number);
        EXPECT_FALSE(name.ends_with(u".html") || name.ends_with(u".htm")) << ToUtf8(name);
        EXPECT_EQ(name.find_first_of(u"/\\:"), std::u16string::npos);
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 5u);
    EXPECT_EQ(PendingReportName(0xFEDCBA9876543210ULL), u"~System Assessment Results.fedcba9876543210.tmp");
}

TEST(PendingReportTest, ANameAlreadyThereIsNeverOpenedAnotherIsTried)
{
    FakeFileSystem files;
    files.files[PendingReportName(0x1234)] = "planted";
    files.files[PendingReportName(0x1235)] = "planted too";
    {
        PendingReport report(files);
        report.Write("page");
        report.Commit(u"report.html");
    }
    EXPECT_EQ(files.files.at(PendingReportName(0x1234)), "planted");
    EXPECT_EQ(files.files.at(PendingReportName(0x1235)), "planted too");
    EXPECT_EQ(files.files.at(u"report.html"), "page");
    EXPECT_EQ(files.files.size(), 3u);
    EXPECT_TRUE(files.removed.empty());
}

TEST(PendingReportTest, TriesABoundedNumberOfNames)
{
    FakeFileSystem files;
    files.takeEveryName = true;
    PendingReport report(files);
    EXPECT_EQ(std::count(files.log.begin(), files.log.end(), "create"), PendingReportNameTries);
    EXPECT_THROW(report.Write("page"), std::runtime_error);
}

TEST(PendingReportTest, ARefusedCreationKeepsItsCodeForTheWrite)
{
    FakeFileSystem files;
    files.refuseCreate = true;
    PendingReport report(files);
    try {
        report.Write("page");
        ADD_FAILURE() << "a write without a file went unnoticed";
    } catch (const Win32Error& error) {
        EXPECT_STREQ(error.what(), "Handle is null! (Win32 error 5)");
        EXPECT_EQ(error.Code(), FakeFileSystem::AccessDenied);
    }
}

TEST(PendingReportTest, ANewFileThatNeverTookTheNameIsRemovedAfterItIsClosed)
{
    FakeFileSystem files;
    files.files[u"report.html"] = "earlier";
    {
        PendingReport report(files);
        report.Write("half a pa");
    }
    EXPECT_EQ(files.files, (std::map<std::u16string, std::string>{{u"report.html", "earlier"}}));
    EXPECT_EQ(files.log, (std::vector<std::string>{"number", "create", "write", "close", "remove"}));
}

TEST(PendingReportTest, ARefusedRenameRemovesTheNewFileAndSaysSo)
{
    FakeFileSystem files;
    files.failRename = true;
    {
        PendingReport report(files);
        report.Write("page");
        try {
            report.Commit(u"report.html");
            ADD_FAILURE() << "a refused rename went unnoticed";
        } catch (const Win32Error& error) {
            EXPECT_EQ(error.Action(), "Failed to replace the report");
            EXPECT_EQ(error.Code(), FakeFileSystem::AccessDenied);
        }
    }
    EXPECT_TRUE(files.files.empty());
    EXPECT_EQ(files.removed.size(), 1u);
}

} // namespace
} // namespace Talvane::Nimlo
