#include "report/CellFormat.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

struct CellCase {
    const char* name;
    std::u16string text;
    std::string expected;
};

class FormatCellTest : public testing::TestWithParam<CellCase> {};

TEST_P(FormatCellTest, OneBlockPerTildeEndedItem)
{
    EXPECT_EQ(FormatCell(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatCellTest,
    testing::Values(CellCase{"Empty", u"", ""}, CellCase{"NoTildeHasNoLineEnd", u"2 GB or greater", "2 GB or greater"},
                    CellCase{"TwoItems", u"Minimum: 1 GB~Recommended: 2 GB~",
                             "<div class=list-div>Minimum: 1 GB</div>\n<div class=list-div>Recommended: 2 GB</div>\n"},
                    CellCase{"OnlyTilde", u"~", "<div class=list-div></div>\n"},
                    CellCase{"EmptyItemInBetween", u"a~~b~",
                             "<div class=list-div>a</div>\n<div class=list-div></div>\n"
                             "<div class=list-div>b</div>\n"},
                    CellCase{"LeadingTilde", u"~a~", "<div class=list-div></div>\n<div class=list-div>a</div>\n"},
                    CellCase{"TextAfterLastTildeIsDropped", u"A~B", "<div class=list-div>A</div>\n"},
                    CellCase{"OtherTildesAreText", u"a\uFF5Eb\u02DC",
                             "a\xEF\xBD\x9E"
                             "b\xCB\x9C"},
                    CellCase{"NoEscaping", u"<b>&reg;</b> \"q\" 'q'", "<b>&reg;</b> \"q\" 'q'"},
                    CellCase{"PlaceholdersPassThrough", u"{{CHECKBOX_ON}}Name~",
                             "<div class=list-div>{{CHECKBOX_ON}}Name</div>\n"},
                    CellCase{"NonAsciiItem", u"K\u00F6ln~", "<div class=list-div>K\xC3\xB6ln</div>\n"}),
    [](const testing::TestParamInfo<CellCase>& p) { return p.param.name; });

TEST(SplitItemsTest, PiecesEndedByTilde)
{
    EXPECT_EQ(SplitItems(u"a~b~"), (std::vector<std::u16string>{u"a", u"b"}));
    EXPECT_EQ(SplitItems(u"~~"), (std::vector<std::u16string>{u"", u""}));
    EXPECT_EQ(SplitItems(u"a~rest"), (std::vector<std::u16string>{u"a"}));
    EXPECT_EQ(SplitItems(u"no tilde"), (std::vector<std::u16string>{}));
}

} // namespace
} // namespace Talvane::Nimlo
