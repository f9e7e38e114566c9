#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/JobPool.h"

namespace Talvane::Nimlo {

// The pool's lanes as the summary uses them: the files lane has a thread for
// each request to be in flight at once (--jobs), the parsing lane one a core.
enum class Lane : std::size_t { Files = 0, Parsing = 1 };

// The most files one job looks up or reads: enough that a run on a local disk
// hands few jobs back and forth, few enough that a share's requests spread
// over every thread.
inline constexpr std::size_t MostFilesAJob = 8;

// The jobs a run hands to the pool, each with what follows it: `work` runs on
// one of the pool's threads and touches nothing but what it was given; `then`
// gets its result on the run's own thread once it is back. What `work`
// throws is thrown again there, as if the run had done the work itself.
class PoolJobs {
public:
    // `pool` has `threads[lane]` threads for each Lane.
    PoolJobs(std::unique_ptr<JobPool> pool, std::vector<std::size_t> threads)
        : threads_(std::move(threads))
        , pool_(std::move(pool))
    {}

    template <typename Work, typename Then> void Run(Lane lane, Work work, Then then)
    {
        using Result = std::invoke_result_t<Work&>;
        struct Outcome {
            std::optional<Result> value;
            std::exception_ptr error;
        };
        auto outcome = std::make_shared<Outcome>();
        const std::uint64_t ticket = next_++;
        std::function<void()> next = [outcome, then = std::move(then)]() mutable {
            if (outcome->error) {
                std::rethrow_exception(outcome->error);
            }
            then(std::move(*outcome->value));
        };
        handedOut_.emplace(ticket, std::move(next));
        try {
            pool_->Submit(static_cast<std::size_t>(lane), ticket, [outcome, work = std::move(work)]() mutable {
                try {
                    outcome->value.emplace(work());
                } catch (...) {
                    outcome->error = std::current_exception();
                }
            });
        } catch (...) {
            handedOut_.erase(ticket);
            throw;
        }
    }

    // How many files to give each job of the lane where `work` files are to
    // be looked up or read: spread over its threads, at most MostFilesAJob.
    std::size_t Batch(Lane lane, std::size_t work) const
    {
        const std::size_t threads = threads_[static_cast<std::size_t>(lane)];
        return std::clamp<std::size_t>((work + threads - 1) / threads, 1, MostFilesAJob);
    }

    // Waits for a job to come back and does what follows it; false when no
    // job is out.
    bool FinishOne()
    {
        if (handedOut_.empty()) {
            return false;
        }
        const auto found = handedOut_.find(pool_->Finished());
        const std::function<void()> then = std::move(found->second);
        handedOut_.erase(found);
        then();
        return true;
    }

private:
    std::vector<std::size_t> threads_; // by lane
    std::uint64_t next_ = 0;
    std::unordered_map<std::uint64_t, std::function<void()>> handedOut_; // what follows each job out
    std::unique_ptr<JobPool> pool_;                                      // last, so that its threads end first
};

} // namespace Talvane::Nimlo
