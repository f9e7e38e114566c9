#include "platform/JobPool.h"

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

using namespace std::chrono_literals;

// Waits until `done` says so, for 10 s at most; false when it never did.
template <typename Done> bool WaitUntil(Done done)
{
    for (int i = 0; i < 10000 && !done(); ++i) {
        std::this_thread::sleep_for(1ms);
    }
    return done();
}

TEST(JobPoolTest, EveryJobRunsOnceAndIsHandedBackOnce)
{
    for (const std::size_t threads : {std::size_t{1}, std::size_t{3}, std::size_t{64}}) {
        const auto pool = MakePlatformJobPool({threads, 2});
        constexpr std::size_t Jobs = 400;
        std::vector<int> ran(Jobs, 0); // each element written by its own job only
        for (std::size_t i = 0; i < Jobs; ++i) {
            pool->Submit(i % 2, i, [&ran, i] {
                ++ran[i];
                if (i % 7 == 0) {
                    throw std::runtime_error("a job's own error"); // dropped; the job is handed back
                }
            });
        }
        std::vector<int> handedBack(Jobs, 0);
        for (std::size_t i = 0; i < Jobs; ++i) {
            ++handedBack.at(static_cast<std::size_t>(pool->Finished()));
        }
        EXPECT_EQ(ran, std::vector<int>(Jobs, 1)) << threads << " threads";
        EXPECT_EQ(handedBack, std::vector<int>(Jobs, 1)) << threads << " threads";
    }
}

// A lane runs as many jobs at once as it has threads, and no more; the
// jobs of one lane never wait for another's.
TEST(JobPoolTest, EachLaneRunsUpToItsThreadsAtOnceBesideTheOthers)
{
    constexpr std::size_t Threads = 4;
    const auto pool = MakePlatformJobPool({Threads, 1});
    std::atomic<std::size_t> running{0};
    std::atomic<std::size_t> most{0};
    std::atomic<bool> otherLaneRan{false};
    std::atomic<bool> allMet{false};
    for (std::uint64_t i = 0; i < 3 * Threads; ++i) {
        pool->Submit(0, i, [&] {
            const std::size_t now = ++running;
            for (std::size_t seen = most; now > seen && !most.compare_exchange_weak(seen, now);) {
            }
            // The first jobs wait for each other, and for the other lane's.
            if (WaitUntil([&] { return allMet || (running == Threads && otherLaneRan); })) {
                allMet = true;
            }
            --running;
        });
    }
    pool->Submit(1, 99, [&] { otherLaneRan = true; });
    for (std::size_t i = 0; i < 3 * Threads + 1; ++i) {
        pool->Finished();
    }
    EXPECT_TRUE(allMet) << "the lane's threads never all ran at once beside the other lane";
    EXPECT_EQ(most, Threads);
}

TEST(JobPoolTest, ThePoolGoesOnlyOnceItsRunningJobsAreDone)
{
    std::atomic<bool> started{false};
    std::atomic<bool> finished{false};
    {
        const auto pool = MakePlatformJobPool({1});
        pool->Submit(0, 1, [&] {
            started = true;
            std::this_thread::sleep_for(50ms);
            finished = true;
        });
        pool->Submit(0, 2, [] {}); // may never run
        ASSERT_TRUE(WaitUntil([&] { return started.load(); }));
    }
    EXPECT_TRUE(finished);
}

} // namespace
} // namespace Talvane::Nimlo
