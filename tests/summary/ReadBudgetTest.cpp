#include "summary/ReadBudget.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

TEST(ReadBudgetTest, FilesShareTheBudgetAndALargerOneIsReadAlone)
{
    struct Step {
        bool take; // else give back
        std::uint64_t bytes;
        bool allowed; // for a take
    };
    const Step steps[] = {
        {true, 60, true},   {true, 50, false},  // 110 would not fit
        {true, 40, true},   {true, 0, true},    // exactly full; an empty file takes nothing
        {false, 60, true},  {true, 150, false}, // larger than the budget: waits for the others
        {false, 40, true},  {true, 150, true},  // read alone
        {true, 0, false},   {true, 1, false},   // nothing beside it
        {false, 150, true}, {true, 100, true},
    };
    ReadBudget budget(100);
    int i = 0;
    for (const Step& step : steps) {
        if (step.take) {
            EXPECT_EQ(budget.Take(step.bytes), step.allowed) << "step " << i;
        } else {
            budget.Give(step.bytes);
        }
        ++i;
    }
}

} // namespace
} // namespace Talvane::Nimlo
