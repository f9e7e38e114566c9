#include "platform/Result.h"

#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

Result<int> Half(int number)
{
    if (number % 2 != 0) {
        return Failure("odd");
    }
    return number / 2;
}

// A value and its reason may be of one type: which one is held is kept apart.
TEST(ResultTest, HoldsTheValueOrWhyNotEvenWhenBothAreText)
{
    EXPECT_EQ(*Half(8), 4);
    EXPECT_FALSE(Half(7).has_value());
    EXPECT_EQ(Half(7).error(), "odd");

    const Result<std::string> read("bytes");
    const Result<std::string> refused(Failure("permission denied"));
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, "bytes");
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), "permission denied");
    EXPECT_THROW(static_cast<void>(*refused), std::bad_variant_access);
}

TEST(ResultTest, MoveOnlyValuesAndDone)
{
    Result<std::unique_ptr<int>> owned(std::make_unique<int>(3));
    const std::unique_ptr<int> taken = *std::move(owned);
    EXPECT_EQ(*taken, 3);

    const Result<void, int> done;
    const Result<void, int> failed(Failure(28));
    EXPECT_TRUE(done);
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.error(), 28);
}

} // namespace
} // namespace Talvane::Nimlo
