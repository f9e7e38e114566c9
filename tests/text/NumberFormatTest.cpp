#include "text/NumberFormat.h"

#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

struct FixedCase {
    double value;
    int digits;
    std::u16string expected;
};

class FormatFixedTest : public testing::TestWithParam<FixedCase> {};

TEST_P(FormatFixedTest, RoundsTheExactValueHalfAwayFromZero)
{
    EXPECT_EQ(FormatFixed(GetParam().value, GetParam().digits), GetParam().expected)
        << "value " << GetParam().value << " digits " << GetParam().digits;
}

INSTANTIATE_TEST_SUITE_P(Cases, FormatFixedTest,
                         testing::Values(
                             // Exact halves go away from zero (a stream would take them to even).
                             FixedCase{2.125, 2, u"2.13"}, FixedCase{0.25, 1, u"0.3"}, FixedCase{2.5, 0, u"3"},
                             FixedCase{0.5, 0, u"1"}, FixedCase{1.125, 2, u"1.13"}, FixedCase{7.625, 2, u"7.63"},
                             FixedCase{-2.5, 0, u"-3"}, FixedCase{-2.125, 2, u"-2.13"},
                             // The stored value decides, not its shortest decimal form.
                             FixedCase{0.005, 2, u"0.01"}, FixedCase{9.995, 2, u"9.99"}, FixedCase{1.005, 2, u"1.00"},
                             FixedCase{0.004, 2, u"0.00"}, FixedCase{0.0049999999999999, 2, u"0.00"},
                             // Carries into the integer part.
                             FixedCase{9.999, 2, u"10.00"}, FixedCase{99.96, 1, u"100.0"}, FixedCase{999.5, 0, u"1000"},
                             // Plain cases from the reports.
                             FixedCase{2.4, 2, u"2.40"}, FixedCase{2.4, 1, u"2.4"}, FixedCase{15.8949, 2, u"15.89"},
                             FixedCase{1024, 2, u"1024.00"}, FixedCase{8, 1, u"8.0"}, FixedCase{3.401, 2, u"3.40"},
                             FixedCase{2.399, 2, u"2.40"}, FixedCase{15.609375, 2, u"15.61"},
                             FixedCase{3.990234375, 2, u"3.99"}, FixedCase{1.9999999990686774, 2, u"2.00"},
                             FixedCase{0.0, 2, u"0.00"}, FixedCase{0.0, 0, u"0"},
                             // Negative values keep their sign even when they round to zero.
                             FixedCase{-0.001, 2, u"-0.00"}, FixedCase{-0.0, 1, u"-0.0"},
                             // Extremes still come out exactly.
                             FixedCase{4.9406564584124654e-324, 2, u"0.00"},
                             FixedCase{1e21, 0, u"1000000000000000000000"},
                             FixedCase{18446744073709551615.0, 2, u"18446744073709551616.00"}));

TEST(FormatFixedTest, LargestDoubleHasAllItsDigits)
{
    const std::u16string text = FormatFixed(std::numeric_limits<double>::max(), 2);
    EXPECT_EQ(text.size(), 309u + 3u);
    EXPECT_EQ(text.substr(0, 6), u"179769");
    EXPECT_EQ(text.substr(text.size() - 3), u".00");
}

TEST(FormatFixedTest, NotANumberAndInfinity)
{
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::infinity(), 2), u"inf");
    EXPECT_EQ(FormatFixed(-std::numeric_limits<double>::infinity(), 2), u"-inf");
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::quiet_NaN(), 2), u"nan");
}

TEST(FormatIntegerTest, PlainDecimalDigits)
{
    EXPECT_EQ(FormatInteger(0), u"0");
    EXPECT_EQ(FormatInteger(std::uint32_t{4294967295u}), u"4294967295");
    EXPECT_EQ(FormatInteger(std::int64_t{-1}), u"-1");
    EXPECT_EQ(FormatInteger(std::numeric_limits<std::int64_t>::min()), u"-9223372036854775808");
    EXPECT_EQ(FormatInteger(std::numeric_limits<std::uint64_t>::max()), u"18446744073709551615");
    EXPECT_EQ(FormatInteger(1000000), u"1000000");
}

TEST(FormatHex64Test, SixteenLowercaseDigitsWithLeadingZeros)
{
    EXPECT_EQ(FormatHex64(0), "0000000000000000");
    EXPECT_EQ(FormatHex64(0x10), "0000000000000010");
    EXPECT_EQ(FormatHex64(0xFEDCBA9876543210ULL), "fedcba9876543210");
    EXPECT_EQ(FormatHex64(~0ULL), "ffffffffffffffff");
}

TEST(HexDigitTest, TheLowFourBitsInEitherCase)
{
    EXPECT_EQ(std::string({HexDigit(0), HexDigit(9), HexDigit(10), HexDigit(15), HexDigit(0x7A)}), "09AFA");
    EXPECT_EQ(HexDigit(0xAB, HexLetters::Lower), 'b');
}

} // namespace
} // namespace Talvane::Nimlo
