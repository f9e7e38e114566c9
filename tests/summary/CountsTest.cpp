#include "summary/Counts.h"

#include <gtest/gtest.h>

#include "fakes/ReportContents.h"
#include "summary/Fleet.h"

namespace Talvane::Nimlo {
namespace {

using Testing::Machine;

TEST(CountsTest, CountsAndClosingLine)
{
    Fleet reading;
    reading.Add(Machine("A", true), "1.html");
    reading.Add(Machine("B", false), "2.html");
    reading.Add(Machine("a", true), "3.html");
    reading.AddRejected();
    reading.AddRejected();
    const FinishedFleet fleet = std::move(reading).Finish();
    const FleetCounts& counts = fleet.Counts();
    EXPECT_EQ(counts.reportsRead, 3u);
    EXPECT_EQ(counts.machines, 2u);
    EXPECT_EQ(counts.meeting, (std::array<std::size_t, 3>{2, 3, 0}));
    EXPECT_EQ(counts.fallingShort[1], 1u);
    EXPECT_EQ(counts.fallingShort[FirstRequirement(Role::AppServer64) + 3], 3u);
    EXPECT_EQ(counts.fallingShort[0], 0u);
    EXPECT_EQ(ClosingLine(counts), "3 reports read, 2 rejected, 2 machines; Client: 2 of 3 meet it, "
                                   "Web Server or 32-bit Application Server: 3 of 3 meet it, "
                                   "64-bit Application Server: 0 of 3 meet it");
}

// How the closing line accounts for the hosts: expected or known, by the
// groups of their notes, with those not expected and those with both.
TEST(CountsTest, TheClosingLineAccountsForTheHosts)
{
    const auto counted = [](bool expecting, std::size_t expected, std::size_t notes) {
        FleetCounts counts;
        counts.reportsRead = 7;
        counts.expecting = expecting;
        counts.expected = expected;
        counts.notes = notes;
        counts.known = 9;
        counts.notAssessed = notes == 0 ? 1 : 3;
        counts.notAssessedBy[static_cast<std::size_t>(NoteKind::Unreachable)] = notes == 0 ? 0 : 2;
        counts.notAssessedBy[static_cast<std::size_t>(NoteKind::NoRecord)] = 1;
        return counts;
    };
    FleetCounts both = counted(true, 10, 3);
    both.notExpected = 1;
    both.notesBesideReports = 1;
    const std::string roles = "Client: 0 of 7 meet it, Web Server or 32-bit Application Server: 0 of 7 meet it, "
                              "64-bit Application Server: 0 of 7 meet it";
    const std::string start = "7 reports read, 0 rejected, 0 machines; " + roles;
    EXPECT_EQ(ClosingLine(counted(false, 0, 0)), start);
    EXPECT_EQ(ClosingLine(counted(true, 8, 0)), start + "; 1 of 8 hosts expected not assessed");
    EXPECT_EQ(ClosingLine(counted(false, 0, 3)),
              start + "; 3 of 9 hosts known not assessed (2 unreachable, 1 no record)");
    EXPECT_EQ(ClosingLine(both), start + "; 2 of 10 hosts expected not assessed and 1 not expected "
                                         "(2 unreachable, 1 no record); 1 with both a report and a note");
}

} // namespace
} // namespace Talvane::Nimlo
