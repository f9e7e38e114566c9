#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "platform/JobPool.h"
#include "platform/JobQueues.h"

namespace Talvane::Nimlo::Testing {

// A pool without threads: each job runs when a job is waited for, chosen
// among those queued in an order drawn from `seed`, so that look-ups and
// reads end in a shuffled order, the same for a seed every time.
class ShuffledJobPool : public JobPool {
public:
    explicit ShuffledJobPool(std::uint32_t seed) : random_(seed) {}
    // Each job in the order it was submitted: a test that scripts the
    // system's calls one after another gets them in its order.
    ShuffledJobPool() = default;

    void Submit(std::size_t, std::uint64_t ticket, std::function<void()> job) override
    {
        queued_.push_back({ticket, std::move(job)});
    }

    std::uint64_t Finished() override
    {
        const std::size_t chosen = random_ ? (*random_)() % queued_.size() : 0;
        QueuedJob next = std::move(queued_[chosen]);
        queued_.erase(queued_.begin() + static_cast<std::ptrdiff_t>(chosen));
        RunJob(next);
        return next.ticket;
    }

private:
    std::optional<std::mt19937> random_;
    std::vector<QueuedJob> queued_;
};

} // namespace Talvane::Nimlo::Testing
