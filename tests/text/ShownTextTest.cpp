#include "text/ShownText.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

TEST(ShownTextTest, WhatDoesNotPrintIsEscapedEverythingElseKept)
{
    struct Case {
        std::string_view text;
        std::string_view shown;
    };
    using namespace std::string_view_literals;
    const Case cases[] = {
        {"plain name.html", "plain name.html"},
        {"line\nbreak\r\ttab", R"(line\nbreak\r\ttab)"},
        {"nul\0here"sv, "nul\\x00here"},
        {"\x1F\x7F\x20", "\\x1F\\x7F "},
        {"Z\xC3\x9CRICH \xFF", "Z\xC3\x9CRICH \xFF"}, // bytes above ASCII are the caller's to judge
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShownText(c.text), c.shown);
    }
    std::string escaped;
    AppendHexEscape(escaped, 0xAB);
    EXPECT_EQ(escaped, "\\xAB");
}

TEST(ShownTextTest, AnOutputsNameEscapesOnlyANul)
{
    using namespace std::string_literals;
    EXPECT_EQ(NulEscaped("ws\0a\0"s), "ws\\x00a\\x00");
    EXPECT_EQ(NulEscaped("WS-\xC3\x85SA\t\\x00"), "WS-\xC3\x85SA\t\\x00") << "only a NUL is written otherwise";
}

} // namespace
} // namespace Talvane::Nimlo
