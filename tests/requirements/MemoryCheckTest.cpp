#include "requirements/MemoryCheck.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

constexpr double GB = 1024.0 * 1024.0 * 1024.0;
constexpr double MB = 1024.0 * 1024.0;

struct MemoryCase {
    double sizeGB;
    unsigned minimum;
    unsigned recommended;
    bool passed;
    std::u16string system;
    std::u16string message;
};

class MemoryCheckTest : public testing::TestWithParam<MemoryCase> {};

TEST_P(MemoryCheckTest, ComparesTheRoundedUpSize)
{
    const MemoryCase& c = GetParam();
    const RequirementResult row = CheckMemory({c.sizeGB, u"HOST"}, c.minimum, c.recommended);
    EXPECT_EQ(row.passed, c.passed);
    EXPECT_EQ(row.System(), c.system);
    EXPECT_EQ(row.Message(), c.message);
    EXPECT_EQ(row.Hardware(), u"Memory");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MemoryCheckTest,
    testing::Values(
        MemoryCase{4.0, 4, 8, true, u"4.00 GB RAM", u"This system meets the minimum 4 GB."},
        // 10 MB short of 4 GB still rounds up to 4.00 for the test, while the text shows 3.99.
        MemoryCase{(4 * GB - 10 * MB) / GB, 4, 8, true, u"3.99 GB RAM", u"This system meets the minimum 4 GB."},
        MemoryCase{(4 * GB - 11 * MB) / GB, 4, 8, false, u"3.99 GB RAM",
                   u"This system does not meet the minimum 4 GB."},
        MemoryCase{3.99, 4, 8, false, u"3.99 GB RAM", u"This system does not meet the minimum 4 GB."},
        MemoryCase{7.951171875, 4, 8, true, u"7.95 GB RAM", u"This system meets the minimum 4 GB."},
        MemoryCase{6.0, 4, 8, true, u"6.00 GB RAM", u"This system meets the minimum 4 GB."},
        MemoryCase{8.0, 4, 8, true, u"8.00 GB RAM", u"This system meets the recommended 8 GB."},
        MemoryCase{12.0, 6, 12, true, u"12.00 GB RAM", u"This system meets the recommended 12 GB."},
        MemoryCase{11.99, 6, 12, true, u"11.99 GB RAM", u"This system meets the minimum 6 GB."},
        MemoryCase{5.0, 6, 12, false, u"5.00 GB RAM", u"This system does not meet the minimum 6 GB."},
        MemoryCase{2147483647.0 / GB, 1, 2, true, u"2.00 GB RAM", u"This system meets the recommended 2 GB."},
        MemoryCase{1.5, 1, 2, true, u"1.50 GB RAM", u"This system meets the minimum 1 GB."},
        MemoryCase{0.75, 1, 2, false, u"0.75 GB RAM", u"This system does not meet the minimum 1 GB."},
        MemoryCase{0.0, 1, 2, false, u"0.00 GB RAM", u"This system does not meet the minimum 1 GB."},
        MemoryCase{15.609375, 4, 8, true, u"15.61 GB RAM", u"This system meets the recommended 8 GB."},
        MemoryCase{7.625, 4, 8, true, u"7.63 GB RAM", u"This system meets the minimum 4 GB."}));

TEST(MemoryCheckTest, RequirementTextsPerRole)
{
    EXPECT_EQ(CheckMemory({}, 1, 2).Requirements(), u"Minimum: 1 GB~Recommended: 2 GB~");
    EXPECT_EQ(CheckMemory({}, 4, 8).Requirements(), u"Minimum: 4 GB~Recommended: 8 GB~");
    EXPECT_EQ(CheckMemory({}, 6, 12).Requirements(), u"Minimum: 6 GB~Recommended: 12 GB~");
}

TEST(MemoryCheckTest, RoundingIsSinglePrecisionStepByStep)
{
    EXPECT_EQ(RoundMemoryForComparison(3.990234375), 4.0f);
    EXPECT_EQ(RoundMemoryForComparison(3.9892578125), 3.99f);
    EXPECT_EQ(RoundMemoryForComparison(3.99), 3.99f);
    EXPECT_EQ(RoundMemoryForComparison(7.951171875), 7.96f);
    // 0.07 * 100 is 7.000000000000001 in double precision (or on the x87
    // unit), which would round up to 0.08; in single precision it is exactly 7.
    EXPECT_EQ(RoundMemoryForComparison(0.07), 0.07f);
}

} // namespace
} // namespace Talvane::Nimlo
