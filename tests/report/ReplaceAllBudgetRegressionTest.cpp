// Found by fuzz_report once formed occurrences were replaced as well: the
// budget of replacements grows with the length of the text, but a cascade
// that does end can need about as many replacements as the square of that
// length. "ab" by "ba" moves every "b" in front of every "a"; when the budget
// runs out first, occurrences of the placeholder stay in the result although
// the value does not hold it.
#include "report/ReportTemplate.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

std::string Repeat(const std::string& piece, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

TEST(ReplaceAllBudgetRegressionTest, CascadeThatEndsIsCarriedOutInFull)
{
    // 8 x "a" then 8 x "b": 64 replacements, each forming the next "ab".
    EXPECT_EQ(ReplaceAll(Repeat("a", 8) + Repeat("b", 8), "ab", "ba"), Repeat("b", 8) + Repeat("a", 8));
}

TEST(ReplaceAllBudgetRegressionTest, CascadeOfAReportPlaceholderLeavesNoPlaceholder)
{
    // The same with "{{X" and "}}" as the two halves of the placeholder.
    const std::string result = ReplaceAll(Repeat("{{X", 7) + Repeat("}}", 7), "{{X}}", "}}{{X");
    EXPECT_EQ(result.find("{{X}}"), std::string::npos) << result;
    EXPECT_EQ(result, Repeat("}}", 7) + Repeat("{{X", 7));
}

} // namespace
} // namespace Talvane::Nimlo
