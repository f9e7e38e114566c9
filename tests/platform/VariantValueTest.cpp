// The conversion of fetched WMI properties, through a stand-in VARIANT. The
// same table runs on real VARIANTs under Windows (tests/win32).

#include <gtest/gtest.h>

#include "fakes/VariantCases.h"

namespace Talvane::Nimlo {
namespace {

using Testing::VariantCase;

class VariantValueTest : public testing::TestWithParam<VariantCase> {};

TEST_P(VariantValueTest, ReadsWhatTheParsersNeed)
{
    const VariantCase& row = GetParam();
    const WmiValue read = Testing::ConvertStandIn(row);
    EXPECT_EQ(read.text, row.expectedText);
    EXPECT_EQ(read.integer, row.expectedInteger);
    EXPECT_EQ(read.fetchResult, row.fetchResult);
    EXPECT_EQ(read.Fetched(), row.fetchResult >= 0);
}

INSTANTIATE_TEST_SUITE_P(EveryType, VariantValueTest, testing::ValuesIn(Testing::VariantCases()),
                         [](const testing::TestParamInfo<VariantCase>& each) { return each.param.name; });

} // namespace
} // namespace Talvane::Nimlo
