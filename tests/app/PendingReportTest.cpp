#include "app/PendingReport.h"

#include <algorithm>
#include <set>
#include <stdexcept>

#include <gtest/gtest.h>

#include "app/RunAssessment.h"
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
    EXPECT_EQ(PendingReportName(0xFEDCBA9876543210ULL), u"~Results.fedcba9876543210.tmp");
}

// A path limit that leaves room for the report's name leaves room for the
// new file's (Wine does not enforce the limit, so it is held here).
TEST(PendingReportTest, NamesAreNoLongerThanTheReportsName)
{
    for (const std::uint64_t number : {0ULL, ~0ULL}) {
        EXPECT_LE(PendingReportName(number).size(), std::u16string_view(ReportFileName).size());
    }
}

TEST(PendingReportTest, ANameAlreadyThereIsNeverOpenedAnotherIsTried)
{
    FakeFileSystem files;
    Testing::FakeClock clock;
    files.files[PendingReportName(0x1234)] = "planted";
    files.files[PendingReportName(0x1235)] = "planted too";
    {
        PendingReport report(files, clock);
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
    Testing::FakeClock clock;
    files.takeEveryName = true;
    PendingReport report(files, clock);
    EXPECT_EQ(std::count(files.log.begin(), files.log.end(), "create"), PendingReportNameTries);
    EXPECT_THROW(report.Write("page"), std::runtime_error);
}

TEST(PendingReportTest, ARefusedCreationKeepsItsCodeForTheWrite)
{
    FakeFileSystem files;
    Testing::FakeClock clock;
    files.refuseCreate = true;
    PendingReport report(files, clock);
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
    Testing::FakeClock clock;
    files.files[u"report.html"] = "earlier";
    {
        PendingReport report(files, clock);
        report.Write("half a pa");
    }
    EXPECT_EQ(files.files, (std::map<std::u16string, std::string>{{u"report.html", "earlier"}}));
    EXPECT_EQ(files.log, (std::vector<std::string>{"number", "create", "write", "close", "remove"}));
}

TEST(PendingReportTest, ARefusedRenameRemovesTheNewFileAndSaysSo)
{
    FakeFileSystem files;
    Testing::FakeClock clock;
    files.failRename = true;
    {
        PendingReport report(files, clock);
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

// A report held open by another program is tried again for five seconds with
// growing pauses; what no moment can cure fails at once.
TEST(PendingReportTest, OnlyAFileHeldOpenIsTriedAgainAndOnlyForAWhile)
{
    struct Case {
        const char* name;
        int busyRenames;
        std::optional<EntryKind> target;
        bool replaced;
        std::vector<std::uint32_t> sleeps;
    };
    const std::vector<std::uint32_t> fiveSeconds{100, 200, 300, 400, 500, 500, 500, 500, 500, 500, 500, 500};
    const Case cases[] = {
        {"held twice, then let go", 2, std::nullopt, true, {100, 200}},
        {"held throughout", -1, std::nullopt, false, fiveSeconds},
        {"a folder in the way", -1, EntryKind::Folder, false, {}},
        {"a read-only file in the way", -1, EntryKind::ReadOnlyFile, false, {}},
        {"a link in the way", -1, EntryKind::Other, false, {}},
    };
    for (const Case& c : cases) {
        FakeFileSystem files;
        Testing::FakeClock clock;
        files.files[u"report.html"] = "earlier";
        files.busyRenames = c.busyRenames;
        if (c.target) {
            files.kinds[u"report.html"] = *c.target;
        }
        bool replaced = true;
        {
            PendingReport report(files, clock);
            report.Write("page");
            try {
                report.Commit(u"report.html");
            } catch (const Win32Error& error) {
                replaced = false;
                EXPECT_EQ(error.Code(), FakeFileSystem::AccessDenied) << c.name;
            }
        }
        EXPECT_EQ(replaced, c.replaced) << c.name;
        EXPECT_EQ(clock.sleeps, c.sleeps) << c.name;
        EXPECT_EQ(files.files,
                  (std::map<std::u16string, std::string>{{u"report.html", c.replaced ? "page" : "earlier"}}))
            << c.name;
    }
}

} // namespace
} // namespace Talvane::Nimlo
