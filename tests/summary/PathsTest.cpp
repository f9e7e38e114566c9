#include "summary/Paths.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

namespace fs = std::filesystem;

TEST(PathsTest, LinksFromAPageAreRelativeAndPercentEncoded)
{
    struct Case {
        fs::path folder;
        fs::path file;
        std::string href;
    };
    const Case cases[] = {
        {"out", "out/reports/a.html", "reports/a.html"},
        {"out/sub", "out/reports/web 01#1.html", "../reports/web%2001%231.html"},
        {".", PathFromUtf8("Z\xC3\x9CRICH.html"), "Z%C3%9CRICH.html"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RelativeHref(c.folder, c.file), c.href) << c.href;
    }
}

TEST(PathsTest, APathInAMessageStaysOnItsLine)
{
    EXPECT_EQ(ShownUtf8Path("reports/two\nlines\t.html"), "reports/two\\nlines\\t.html");
    EXPECT_EQ(FolderOf("overview.html"), fs::path("."));
    EXPECT_EQ(FolderOf("out/overview.html"), fs::path("out"));
}

} // namespace
} // namespace Talvane::Nimlo
