#include "text/HtmlText.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

TEST(HtmlTextTest, EntitiesBecomeTheirCharacters)
{
    struct Case {
        const char* html;
        const char* text;
    };
    const Case cases[] = {
        {"Microsoft&reg; .NET", "Microsoft\xC2\xAE .NET"},
        {"Internet Explorer&trade;", "Internet Explorer\xE2\x84\xA2"},
        {"&lt;b&gt; &amp; &quot;q&quot; &apos;", "<b> & \"q\" '"},
        {"&#174;&#xAE;&#XaE;", "\xC2\xAE\xC2\xAE\xC2\xAE"},
        {"&#x1F600;", "\xF0\x9F\x98\x80"},
        {"&#0; &#xD800; &#x110000; &#99999999999;", "\xEF\xBF\xBD \xEF\xBF\xBD \xEF\xBF\xBD \xEF\xBF\xBD"},
        // Not entities: left as they are.
        {"AT&T", "AT&T"},
        {"&unknown; &; &#; &#x; &#12a; & amp;", "&unknown; &; &#; &#x; &#12a; & amp;"},
        {"&amp", "&amp"},
        {"&ampamp;", "&ampamp;"},
        {"<b>bold</b>", "<b>bold</b>"},
        {"&&reg;", "&\xC2\xAE"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeEntities(c.html), c.text) << c.html;
    }
}

TEST(HtmlTextTest, EscapedTextShowsAsTextAndDecodesBack)
{
    const std::string text = "<script>alert('x')</script> & \"<img src=x onerror=alert(1)>\" \xC3\x9C";
    const std::string escaped = EscapeHtml(text);
    EXPECT_EQ(escaped.find_first_of("<>\"'"), std::string::npos) << escaped;
    EXPECT_EQ(DecodeEntities(escaped), text);
}

} // namespace
} // namespace Talvane::Nimlo
