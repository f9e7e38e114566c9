#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace Talvane::Nimlo {

struct QueuedJob {
    std::uint64_t ticket = 0;
    std::function<void()> job;
};

// Runs the job, then lets go of what it holds, before its owner hears of it.
// What it throws is dropped: a job keeps its own errors.
inline void RunJob(QueuedJob& next) noexcept
{
    try {
        next.job();
    } catch (...) {
        // Nothing may leave a pool's thread.
    }
    next.job = nullptr;
}

// The bookkeeping of a job pool without its lock and its threads, the same on
// every platform: the jobs queued on each lane, the threads each lane has and
// how many run a job, and the tickets of the jobs done. Every call is made
// under the pool's lock.
class JobQueues {
public:
    explicit JobQueues(const std::vector<std::size_t>& threads)
    {
        for (const std::size_t most : threads) {
            lanes_.push_back({most < 1 ? 1 : most, {}, 0, 0});
        }
    }

    std::size_t Lanes() const { return lanes_.size(); }
    std::size_t MostThreads(std::size_t lane) const { return lanes_.at(lane).most; }
    std::size_t Threads(std::size_t lane) const { return lanes_.at(lane).threads; }

    // Queues the job; true when the lane should start another thread for it:
    // more jobs wait than threads are free, and it has fewer than its most.
    bool Queue(std::size_t lane, std::uint64_t ticket, std::function<void()> job)
    {
        Lane& to = lanes_.at(lane);
        to.queued.push_back({ticket, std::move(job)});
        return to.queued.size() > to.threads - to.busy && to.threads < to.most;
    }

    // Takes back the job just queued, whose lane could start no thread at all.
    void Unqueue(std::size_t lane) { lanes_.at(lane).queued.pop_back(); }

    void Started(std::size_t lane) { ++lanes_.at(lane).threads; }

    // The next job of the lane, now running, if one waits.
    std::optional<QueuedJob> Take(std::size_t lane)
    {
        Lane& from = lanes_.at(lane);
        if (from.queued.empty()) {
            return std::nullopt;
        }
        QueuedJob next = std::move(from.queued.front());
        from.queued.pop_front();
        ++from.busy;
        return next;
    }

    void Done(std::size_t lane, std::uint64_t ticket)
    {
        --lanes_.at(lane).busy;
        finished_.push_back(ticket);
    }

    // The ticket of the job that was done first of those not handed back yet.
    std::optional<std::uint64_t> TakeFinished()
    {
        if (finished_.empty()) {
            return std::nullopt;
        }
        const std::uint64_t ticket = finished_.front();
        finished_.pop_front();
        return ticket;
    }

private:
    struct Lane {
        std::size_t most;
        std::deque<QueuedJob> queued;
        std::size_t threads;
        std::size_t busy; // threads running a job
    };

    std::vector<Lane> lanes_;
    std::deque<std::uint64_t> finished_;
};

} // namespace Talvane::Nimlo
