#include "requirements/ProcessorCheck.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

struct ProcessorCase {
    double mhz;
    int processors;
    bool passed;
    std::u16string system;
    std::u16string message;
};

class ServerProcessorTest : public testing::TestWithParam<ProcessorCase> {};

TEST_P(ServerProcessorTest, NeedsClockAndCount)
{
    const ProcessorCase& c = GetParam();
    const RequirementResult row = CheckServerProcessor({c.mhz / 1000.0, c.processors});
    EXPECT_EQ(row.passed, c.passed);
    EXPECT_EQ(row.System(), c.system);
    EXPECT_EQ(row.Message(), c.message);
    EXPECT_EQ(row.Hardware(), u"CPU");
    EXPECT_EQ(row.Requirements(), u"Minimum: 2.40 GHz / 2 cores~Recommended: Intel&reg; XEON&trade; processor "
                                  u"with multiple cores or processors~");
}

const std::u16string ServerPass = u"\tThis system meets the recommended 2.4 GHz 2 Core.";
const std::u16string ServerFail = u"This system does not meet the minimum 2.4 GHz 2 Core.";

INSTANTIATE_TEST_SUITE_P(Cases, ServerProcessorTest,
                         testing::Values(ProcessorCase{2400, 2, true, u"2.40 GHz 2 Core CPU", ServerPass},
                                         ProcessorCase{2399, 16, false, u"2.40 GHz 16 Core CPU", ServerFail},
                                         ProcessorCase{3500, 1, false, u"3.50 GHz 1 Core CPU", ServerFail},
                                         ProcessorCase{3401, 8, true, u"3.40 GHz 8 Core CPU", ServerPass},
                                         ProcessorCase{0, 0, false, u"0.00 GHz 0 Core CPU", ServerFail},
                                         ProcessorCase{2125, 4, false, u"2.13 GHz 4 Core CPU", ServerFail}));

class ClientProcessorTest : public testing::TestWithParam<ProcessorCase> {};

TEST_P(ClientProcessorTest, ClockAloneDecides)
{
    const ProcessorCase& c = GetParam();
    const RequirementResult row = CheckClientProcessor({c.mhz / 1000.0, c.processors});
    EXPECT_EQ(row.passed, c.passed);
    EXPECT_EQ(row.System(), c.system);
    EXPECT_EQ(row.Message(), c.message);
    EXPECT_EQ(row.Hardware(), u"CPU");
    EXPECT_EQ(row.Requirements(), u"Minimum: 1.00 GHz~Recommended: 2.00 GHz~");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClientProcessorTest,
    testing::Values(
        ProcessorCase{999, 4, false, u"1.00 GHz 4 Core CPU", u"This system does not meet the minimum 1.0 GHz."},
        ProcessorCase{1000, 1, true, u"1.00 GHz 1 Core CPU", u"This system meets the minimum 1.0 GHz."},
        ProcessorCase{1999, 2, true, u"2.00 GHz 2 Core CPU", u"This system meets the minimum 1.0 GHz."},
        ProcessorCase{2000, 2, true, u"2.00 GHz 2 Core CPU", u"This system meets the recommended 2.0 GHz."},
        ProcessorCase{3000, 1, true, u"3.00 GHz 1 Core CPU", u"This system meets the recommended 2.0 GHz."},
        ProcessorCase{0, 0, false, u"0.00 GHz 0 Core CPU", u"This system does not meet the minimum 1.0 GHz."}));

TEST(DescribeProcessorTest, ClockWithTwoDigitsAndCount)
{
    EXPECT_EQ(DescribeProcessor({2.6, 4}), u"2.60 GHz 4 Core CPU");
    EXPECT_EQ(DescribeProcessor({0.0, 0}), u"0.00 GHz 0 Core CPU");
    EXPECT_EQ(DescribeProcessor({3.401, 8}), u"3.40 GHz 8 Core CPU");
}

} // namespace
} // namespace Talvane::Nimlo
