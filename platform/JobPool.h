#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace Talvane::Nimlo {

// Jobs run on threads of the pool's own and handed back, one at a time, to
// the thread that owns the pool: it alone submits jobs and takes them back,
// so what a job leaves behind is the owner's to read once its ticket is back.
// The pool has lanes, each with threads of its own, started as jobs wait for
// them, up to the lane's number: the jobs of one lane never wait for another's.
class JobPool {
public:
    // Waits for the jobs that are running; those still queued never run.
    virtual ~JobPool() = default;

    // Queues `job` on `lane`. A job keeps its own errors: what it throws is
    // dropped, and it is handed back all the same.
    virtual void Submit(std::size_t lane, std::uint64_t ticket, std::function<void()> job) = 0;

    // Waits until a job submitted has run and returns its ticket, each once.
    // Called only while some job has not been handed back.
    virtual std::uint64_t Finished() = 0;
};

// A pool whose lane i has up to `threads[i]` threads (at least one). Throws
// when a lane's first thread cannot be started; a lane that cannot start more
// goes on with those it has.
std::unique_ptr<JobPool> MakePlatformJobPool(const std::vector<std::size_t>& threads);

// How many processors this process may run on, at least one.
std::size_t ProcessorCount();

} // namespace Talvane::Nimlo
