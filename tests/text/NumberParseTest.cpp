#include "text/NumberParse.h"

#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

template <typename Exception, typename Call> std::string MessageOf(Call call)
{
    try {
        call();
    } catch (const Exception& error) {
        return error.what();
    }
    return "no error";
}

struct ParseCase {
    std::u16string text;
    std::uint64_t expected32;
    std::uint64_t expected64;
};

class ParseUnsignedTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseUnsignedTest, ReadsLeadingDigits)
{
    EXPECT_EQ(ParseUnsigned32(GetParam().text), GetParam().expected32);
    EXPECT_EQ(ParseUnsigned64(GetParam().text), GetParam().expected64);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParseUnsignedTest,
                         testing::Values(ParseCase{u"42", 42, 42}, ParseCase{u"  42abc", 42, 42},
                                         ParseCase{u"\t\n\v\f\r7", 7, 7}, ParseCase{u"+5", 5, 5},
                                         ParseCase{u"007", 7, 7}, ParseCase{u"0", 0, 0},
                                         ParseCase{u"-1", 4294967295u, 18446744073709551615u}, ParseCase{u"-0", 0, 0},
                                         ParseCase{u"-4294967295", 1, 18446744069414584321u},
                                         ParseCase{u"123abc", 123, 123}, ParseCase{u"6.1.7601", 6, 6},
                                         ParseCase{u"4294967295", 4294967295u, 4294967295u}, ParseCase{u"1 2", 1, 1}));

TEST(ParseUnsignedTest, NoDigitIsAnInvalidArgument)
{
    for (const std::u16string text : {u"", u"   ", u"abc", u"+", u"-", u"+-1", u" - 1", u".5", u"\u0661"}) {
        EXPECT_EQ(MessageOf<std::invalid_argument>([&] { ParseUnsigned32(text); }), "invalid stoul argument");
        EXPECT_EQ(MessageOf<std::invalid_argument>([&] { ParseUnsigned64(text); }), "invalid stoull argument");
    }
}

TEST(ParseUnsignedTest, TooManyDigitsIsOutOfRange)
{
    EXPECT_EQ(MessageOf<std::out_of_range>([] { ParseUnsigned32(u"4294967296"); }), "stoul argument out of range");
    EXPECT_EQ(MessageOf<std::out_of_range>([] { ParseUnsigned32(u"-4294967296"); }), "stoul argument out of range");
    EXPECT_EQ(ParseUnsigned64(u"4294967296"), 4294967296u);
    EXPECT_EQ(ParseUnsigned64(u"18446744073709551615"), 18446744073709551615u);
    EXPECT_EQ(MessageOf<std::out_of_range>([] { ParseUnsigned64(u"18446744073709551616"); }),
              "stoull argument out of range");
    EXPECT_EQ(MessageOf<std::out_of_range>([] { ParseUnsigned64(u"99999999999999999999999x"); }),
              "stoull argument out of range");
}

TEST(ParseUnsignedTest, TryVariantIsEmptyWhereTheOtherThrows)
{
    EXPECT_EQ(TryParseUnsigned64(u" 42abc"), 42u);
    EXPECT_EQ(TryParseUnsigned64(u"-1"), 18446744073709551615u);
    EXPECT_EQ(TryParseUnsigned64(u""), std::nullopt);
    EXPECT_EQ(TryParseUnsigned64(u"Service Pack"), std::nullopt);
    EXPECT_EQ(TryParseUnsigned64(u"18446744073709551616"), std::nullopt);
}

} // namespace
} // namespace Talvane::Nimlo
