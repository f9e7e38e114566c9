#include "summary/OrderedMerge.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

TEST(OrderedMergeTest, ResultsAreTakenInTheirOrderWhicheverComesBackFirst)
{
    OrderedMerge<std::string> merge;
    for (std::uint64_t i = 0; i < 5; ++i) {
        EXPECT_EQ(merge.Add(), i);
    }
    struct Step {
        std::uint64_t put;
        std::vector<std::string> taken; // all taken so far
    };
    const Step steps[] = {
        {3, {}}, {1, {}}, {4, {}}, {0, {"0", "1"}}, {2, {"0", "1", "2", "3", "4"}},
    };
    std::vector<std::string> taken;
    for (const Step& step : steps) {
        merge.Put(step.put, std::to_string(step.put));
        while (std::optional<std::string> next = merge.Take()) {
            taken.push_back(*next);
        }
        EXPECT_EQ(taken, step.taken) << "after " << step.put;
    }
    EXPECT_EQ(merge.Waiting(), 0u);
    EXPECT_EQ(merge.Add(), 5u) << "numbers go on";
    EXPECT_EQ(merge.Waiting(), 1u);
}

} // namespace
} // namespace Talvane::Nimlo
