#include "text/JsonText.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

// The escapes themselves; whether lines built from them parse is for a strict
// parser (tests/app/test_result_lines.py).
TEST(JsonTextTest, EscapesInAscii)
{
    const struct {
        std::string_view utf8;
        std::string_view escaped;
    } cases[] = {
        {"plain ~/:{}[]", "plain ~/:{}[]"},
        {R"("\)", R"(\"\\)"},
        {std::string_view("\b\f\n\r\t\x00\x1F\x7F", 8), R"(\b\f\n\r\t\u0000\u001F\u007F)"},
        {"\xC3\xA9\xE6\x9D\xB1", "\\u00E9\\u6771"},
        {"\xF0\x9F\x98\x80", "\\uD83D\\uDE00"},
        {"\xFF"
         "a\xED\xA0\x80",
         R"(\uFFFDa\uFFFD\uFFFD\uFFFD)"}, // a stray byte, an encoded surrogate
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JsonStringContent(c.utf8), c.escaped) << c.utf8;
        EXPECT_EQ(JsonEscapedLength(c.utf8), c.escaped.size()) << c.utf8;
    }
}

TEST(JsonTextTest, CutAfterAWholeCharacterWithAnEllipsis)
{
    const std::string_view smile = "\xF0\x9F\x98\x80"; // 12 bytes escaped
    const std::string text = "ab" + std::string(smile) + "cdef";
    EXPECT_EQ(JsonStringContent(text, 18), "ab\\uD83D\\uDE00cdef"); // fits exactly
    EXPECT_EQ(JsonStringContent(text, 17), "ab\\uD83D\\uDE00...");
    EXPECT_EQ(JsonStringContent(text, 16), "ab...");
    EXPECT_EQ(JsonStringContent(text, 2), "..");
}

} // namespace
} // namespace Talvane::Nimlo
