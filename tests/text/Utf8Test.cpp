#include "text/Utf8.h"

#include <cstdint>
#include <utility>

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

struct Utf8Case {
    const char* name;
    std::u16string input;
    std::string expected;
};

class ToUtf8Test : public testing::TestWithParam<Utf8Case> {};

TEST_P(ToUtf8Test, EncodesEachCodePoint)
{
    EXPECT_EQ(ToUtf8(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToUtf8Test,
    testing::Values(Utf8Case{"Empty", u"", ""}, Utf8Case{"Ascii", u"Client", "Client"},
                    Utf8Case{"ZeroUnitIsKept", std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
                    Utf8Case{"LastOneByte", u"\u007F", "\x7F"}, Utf8Case{"FirstTwoBytes", u"\u0080", "\xC2\x80"},
                    Utf8Case{"Registered", u"\u00AE", "\xC2\xAE"}, Utf8Case{"LastTwoBytes", u"\u07FF", "\xDF\xBF"},
                    Utf8Case{"FirstThreeBytes", u"\u0800", "\xE0\xA0\x80"}, Utf8Case{"Euro", u"\u20AC", "\xE2\x82\xAC"},
                    Utf8Case{"LastBmp", u"\uFFFF", "\xEF\xBF\xBF"},
                    Utf8Case{"PairBecomesFourBytes", u"\U0001F600", "\xF0\x9F\x98\x80"},
                    Utf8Case{"HighestCodePoint", u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
                    Utf8Case{"LoneHigh", std::u16string{char16_t(0xD83D)}, "\xEF\xBF\xBD"},
                    Utf8Case{"LoneLow", std::u16string{char16_t(0xDE00)}, "\xEF\xBF\xBD"},
                    Utf8Case{"HighThenAscii", std::u16string{char16_t(0xD83D), u'x'}, "\xEF\xBF\xBDx"},
                    Utf8Case{"ReversedPair", std::u16string{char16_t(0xDE00), char16_t(0xD83D)},
                             "\xEF\xBF\xBD\xEF\xBF\xBD"},
                    Utf8Case{"TwoHighsThenLow", std::u16string{char16_t(0xD83D), char16_t(0xD83D), char16_t(0xDE00)},
                             "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
                    Utf8Case{"Mixed", u"K\u00F6ln \u20AC", "K\xC3\xB6ln \xE2\x82\xAC"}),
    [](const testing::TestParamInfo<Utf8Case>& p) { return p.param.name; });

TEST(AppendUtf8Test, AppendsOneScalarValueAndReplacesEverythingElse)
{
    const std::pair<char32_t, std::string> cases[] = {
        {U'a', "a"},
        {0x7FF, "\xDF\xBF"},
        {0x10000, "\xF0\x90\x80\x80"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF"},
        {0xD800, "\xEF\xBF\xBD"},
        {0xDFFF, "\xEF\xBF\xBD"},
        {0x110000, "\xEF\xBF\xBD"},
    };
    for (const auto& [codePoint, bytes] : cases) {
        std::string out = "x";
        AppendUtf8(out, codePoint);
        EXPECT_EQ(out, "x" + bytes) << static_cast<std::uint32_t>(codePoint);
    }
}

TEST(WidenAsciiTest, WidensAsciiAndReplacesOtherBytes)
{
    EXPECT_EQ(WidenAscii("\tHandle is null!"), u"\tHandle is null!");
    EXPECT_EQ(WidenAscii("a\xC3\xB6"), u"a\uFFFD\uFFFD");
    EXPECT_EQ(WidenAscii(""), u"");
}

TEST(ValidUtf8Test, KeepsWellFormedTextAndReplacesEveryStrayByte)
{
    struct Case {
        std::string bytes;
        std::string valid;
    };
    const std::string fffd = "\xEF\xBF\xBD";
    const Case cases[] = {
        {"", ""},
        {"plain ASCII", "plain ASCII"},
        {"\xC3\x9C \xE2\x82\xAC \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF",
         "\xC3\x9C \xE2\x82\xAC \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF"},
        {"a\xFFz", "a" + fffd + "z"},                    // a byte no sequence starts with
        {"\xC0\xAF", fffd + fffd},                       // overlong "/"
        {"\xE0\x80\xAF", fffd + fffd + fffd},            // overlong, three bytes
        {"\xED\xA0\x80", fffd + fffd + fffd},            // a surrogate
        {"\xF4\x90\x80\x80", fffd + fffd + fffd + fffd}, // past U+10FFFF
        {"\xE2\x82", fffd + fffd},                       // cut short
        {"\xC3", fffd},
        {"name\xC3(.html", "name" + fffd + "(.html"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ValidUtf8(c.bytes), c.valid) << c.bytes;
    }
    EXPECT_EQ(Utf8SequenceLength("\xF0\x9F\x98\x80rest"), 4u);
    EXPECT_EQ(Utf8SequenceLength(""), 0u);
}

} // namespace
} // namespace Talvane::Nimlo
