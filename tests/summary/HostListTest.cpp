#include "summary/HostList.h"

#include <gtest/gtest.h>

#include "fakes/Utf16Bytes.h"

namespace Talvane::Nimlo {
namespace {

TEST(HostListTest, EveryEncodingAWindowsOrLinuxToolWrites)
{
    const std::vector<std::string> hosts{"web-01", "DB-02", "\xC3\x85SA"};
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"UTF-8", "web-01\nDB-02\n\xC3\x85SA\n"},
        {"UTF-8 with a byte order mark and CR LF", "\xEF\xBB\xBFweb-01\r\nDB-02\r\n\xC3\x85SA"},
        {"blank lines and white space", "\n  web-01 \t\r\n\r\n\tDB-02\n\xC3\x85SA   \n\n"},
        {"UTF-16 LE with a byte order mark (PowerShell 5.1)",
         Testing::Utf16WithBom(u"web-01\r\nDB-02\r\n\u00C5SA\r\n")},
        {"UTF-16 BE with a byte order mark", Testing::Utf16WithBom(u"web-01\nDB-02\n\u00C5SA", true)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseHostList(c.bytes), hosts) << c.name;
    }
    EXPECT_EQ(ParseHostList("bad\xFFname\n"), (std::vector<std::string>{"bad\xEF\xBF\xBDname"}));
    EXPECT_TRUE(ParseHostList("").empty());
}

} // namespace
} // namespace Talvane::Nimlo
