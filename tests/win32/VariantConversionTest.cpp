// The conversion of fetched WMI properties, on real VARIANTs: every type WMI
// can hand back for the properties read. The same table runs natively through
// a stand-in (tests/platform/VariantValueTest.cpp).

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include <gtest/gtest.h>

#include "fakes/VariantCases.h"
#include "platform/win32/Variant.h"

namespace Talvane::Nimlo {
namespace {

using Testing::VariantCase;

class VariantConversionTest : public testing::TestWithParam<VariantCase> {};

TEST_P(VariantConversionTest, ReadsWhatTheParsersNeed)
{
    const VariantCase& row = GetParam();
    Variant value;
    VARIANT* filled = value.put();
    Testing::FillInteger(*filled, row);
    if (row.tag == VT_BSTR && !row.nullString) {
        filled->bstrVal =
            SysAllocStringLen(reinterpret_cast<const OLECHAR*>(row.text.data()), static_cast<UINT>(row.text.size()));
        ASSERT_NE(filled->bstrVal, nullptr);
    }

    const WmiValue read = ToWmiValue(value.get(), row.fetchResult);
    EXPECT_EQ(read.text, row.expectedText);
    EXPECT_EQ(read.integer, row.expectedInteger);
    EXPECT_EQ(read.fetchResult, row.fetchResult);
}

INSTANTIATE_TEST_SUITE_P(EveryType, VariantConversionTest, testing::ValuesIn(Testing::VariantCases()),
                         [](const testing::TestParamInfo<VariantCase>& each) { return each.param.name; });

} // namespace
} // namespace Talvane::Nimlo
