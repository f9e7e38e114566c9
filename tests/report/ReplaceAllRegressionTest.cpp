// Found by fuzz_report: ReplaceAll goes on searching after each inserted
// value, so an occurrence that a replacement brings together with the text
// before or after it is never found, although the value itself does not hold
// the placeholder. The page then keeps a placeholder.
#include "report/ReportTemplate.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

TEST(ReplaceAllRegressionTest, OccurrenceJoinedAroundARemovedPlaceholderIsReplaced)
{
    // "{{" + "{{X}}" + "X}}": removing the inner one leaves "{{X}}".
    EXPECT_EQ(ReplaceAll("{{{{X}}X}}", "{{X}}", ""), "");
}

TEST(ReplaceAllRegressionTest, OccurrenceJoinedFromTheValueAndTheTextAfterItIsReplaced)
{
    // The value "{{X" followed by the text's "}}" forms "{{X}}" again.
    EXPECT_EQ(ReplaceAll("{{X}}}}", "{{X}}", "{{X"), "{{X");
}

TEST(ReplaceAllRegressionTest, OccurrenceJoinedFromTheTextBeforeAndTheValueIsReplaced)
{
    EXPECT_EQ(ReplaceAll("{{{{X}}", "{{X}}", "X}}"), "X}}");
}

TEST(ReplaceAllRegressionTest, ComputerNameThatCompletesItsPlaceholderLeavesNoPlaceholder)
{
    // A computer name (from the machine) that ends a placeholder begun in the
    // report body: the page must not show "{{COMPUTER_NAME}}".
    const std::string page = FillReport("{{REPORT_BODY}}", "{{COMPUTER_{{COMPUTER_NAME}}", u"NAME}}");
    EXPECT_EQ(page.find("{{COMPUTER_NAME}}"), std::string::npos) << page;
    EXPECT_EQ(page, "NAME}}");
}

TEST(ReplaceAllRegressionTest, ValueHoldingThePlaceholderIsStillInsertedOnce)
{
    // The guard against endless replacement has to stay.
    EXPECT_EQ(ReplaceAll("[{{X}}]", "{{X}}", "a{{X}}b"), "[a{{X}}b]");
    EXPECT_EQ(ReplaceAll("{{X}}{{X}}", "{{X}}", "{{X}}"), "{{X}}{{X}}");
}

} // namespace
} // namespace Talvane::Nimlo
