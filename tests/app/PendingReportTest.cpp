#include "app/PendingReport.h"

#include <gtest/gtest.h>

#include "app/RunAssessment.h"
#include "fakes/FakeRunServices.h"
#include "platform/SystemError.h"

namespace Talvane::Nimlo {
namespace {

using Testing::FakeFileSystem;

// The new report lies beside the report under a name of its own kind, and a
// report held open elsewhere is waited for five seconds.
TEST(PendingReportTest, TheNewReportIsNamedForTheReportAndABusyOneIsWaitedForFiveSeconds)
{
    FakeFileSystem files;
    Testing::FakeClock clock;
    files.files[ReportFileName] = "earlier";
    files.busyRenames = -1;
    {
        PendingReport report(files, clock, ReportFileName);
        EXPECT_EQ(files.names.begin()->second, u"~Results.0000000000001234.tmp");
        report.Write("page");
        EXPECT_THROW(report.Commit(), Win32Error);
    }
    EXPECT_EQ(clock.Slept(), BusyReportRetryMilliseconds);
    EXPECT_EQ(files.files, (std::map<std::u16string, std::string>{{ReportFileName, "earlier"}}));
}

TEST(PendingReportTest, ARefusedCreationKeepsItsCodeForTheWrite)
{
    FakeFileSystem files;
    Testing::FakeClock clock;
    files.refuseCreate = true;
    PendingReport report(files, clock, u"report.html");
    try {
        report.Write("page");
        ADD_FAILURE() << "a write without a file went unnoticed";
    } catch (const Win32Error& error) {
        EXPECT_STREQ(error.what(), "Handle is null! (Win32 error 5)");
        EXPECT_EQ(error.Code(), FakeFileSystem::AccessDenied);
    }
}

TEST(PendingReportTest, ARefusedRenameRemovesTheNewFileAndSaysSo)
{
    FakeFileSystem files;
    Testing::FakeClock clock;
    files.failRename = true;
    {
        PendingReport report(files, clock, u"report.html");
        report.Write("page");
        try {
            report.Commit();
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
