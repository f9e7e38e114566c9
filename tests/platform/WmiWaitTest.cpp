#include "platform/WmiWait.h"

#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "fakes/FakeRunServices.h"
#include "fakes/FakeWmi.h"

namespace Talvane::Nimlo {
namespace {

// Slices of a wait: each runs out (after sleeping its time on the fake
// clock) until the `answerAfter`-th, which answers with an object, or with
// the end of the results when `end`.
struct SlowProvider {
    Testing::FakeClock* clock;
    int answerAfter; // -1: never
    bool end = false;
    std::vector<std::uint32_t> slices;

    WmiSlice operator()(std::uint32_t milliseconds)
    {
        slices.push_back(milliseconds);
        if (answerAfter >= 0 && static_cast<int>(slices.size()) > answerAfter) {
            return {end ? nullptr : std::make_unique<Testing::FakeWmiObject>(Testing::FakeWmiProperties{}), false};
        }
        clock->now += milliseconds;
        return {nullptr, true};
    }
};

TEST(WmiWaitTest, SlicesThatRunOutAreWaitedAgainUntilAnAnswer)
{
    for (const bool end : {false, true}) {
        Testing::FakeClock clock;
        SlowProvider provider{&clock, 3, end, {}};
        const std::unique_ptr<WmiObject> object = NextBefore(Deadline{clock.now, 120000}, clock, std::ref(provider));
        EXPECT_EQ(object == nullptr, end);
        EXPECT_EQ(provider.slices, (std::vector<std::uint32_t>{1000, 1000, 1000, 1000}));
    }
}

// The deadline is counted across the wrap of the 32-bit tick count (the fake
// clock starts 4096 ms before it), and the last slice is only what is left.
TEST(WmiWaitTest, ASilentProviderIsGivenUpAtTheDeadline)
{
    Testing::FakeClock clock;
    const std::uint32_t start = clock.now;
    SlowProvider provider{&clock, -1, false, {}};
    EXPECT_THROW(NextBefore(Deadline{start, 5500}, clock, std::ref(provider)), DeadlinePassed);
    EXPECT_EQ(provider.slices, (std::vector<std::uint32_t>{1000, 1000, 1000, 1000, 1000, 500}));
    EXPECT_EQ(clock.now - start, 5500u);
}

TEST(WmiWaitTest, DeadlinesSurviveTheWrapOfTheTickCount)
{
    const Deadline deadline{0xFFFFFF00u, 1000};
    EXPECT_EQ(deadline.Remaining(0xFFFFFF00u), 1000u);
    EXPECT_EQ(deadline.Remaining(0x00000100u), 488u); // 512 ms on, past the wrap
    EXPECT_EQ(deadline.Remaining(0x000002E8u), 0u);
    EXPECT_EQ(deadline.Remaining(0x7FFFFFFFu), 0u);
}

} // namespace
} // namespace Talvane::Nimlo
