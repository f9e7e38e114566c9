#include "requirements/DiskSpaceCheck.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

const std::u16string Meets = u"This system meets the required 2 GB of free space.";
const std::u16string DoesNotMeet = u"This system does not meet the required 2 GB of free space.";

struct DiskCase {
    std::vector<DiskInfo> disks;
    std::u16string separator;
    bool passed;
    std::u16string system;
};

class DiskSpaceCheckTest : public testing::TestWithParam<DiskCase> {};

TEST_P(DiskSpaceCheckTest, AnyOneDiskIsEnough)
{
    const DiskCase& c = GetParam();
    const RequirementResult row = CheckDiskSpace(c.disks, c.separator);
    EXPECT_EQ(row.passed, c.passed);
    EXPECT_EQ(row.System(), c.system);
    EXPECT_EQ(row.Message(), c.passed ? Meets : DoesNotMeet);
    EXPECT_EQ(row.Hardware(), u"Free Hard Disk Space");
    EXPECT_EQ(row.Requirements(), u"2 GB or greater");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DiskSpaceCheckTest,
    testing::Values(DiskCase{{{1.5, u"C:"}, {100.0, u"D:"}}, u"~", true, u"1.50 GB free on C:~100.00 GB free on D:~"},
                    DiskCase{{{1.5, u"C:"}, {100.0, u"D:"}}, u";", true, u"1.50 GB free on C:;100.00 GB free on D:;"},
                    DiskCase{{{100.0, u"D:"}, {1.5, u"C:"}}, u"~", true, u"100.00 GB free on D:~1.50 GB free on C:~"},
                    DiskCase{{{2.0, u"C:"}}, u"~", true, u"2.00 GB free on C:~"},
                    DiskCase{{{1.999, u"C:"}}, u"~", false, u"2.00 GB free on C:~"},
                    DiskCase{{{1.125, u"C:"}}, u";", false, u"1.13 GB free on C:;"}, DiskCase{{}, u"~", false, u""},
                    DiskCase{{{0.0, u""}}, u";", false, u"0.00 GB free on ;"}));

} // namespace
} // namespace Talvane::Nimlo
