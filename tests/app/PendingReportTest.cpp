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
        EXPECT_THROW(report.Commit(), SystemError);
    }
    EXPECT_EQ(clock.Slept(), BusyReportRetryMilliseconds);
    EXPECT_EQ(files.files, (std::map<std::u16string, std::string>{{ReportFileName, "earlier"}}));
}

} // namespace
} // namespace Talvane::Nimlo
