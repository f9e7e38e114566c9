// The job pool on std::thread, for Linux and other POSIX systems.
#include <unistd.h>
#ifdef __linux__
#include <sched.h>
#endif

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/JobPool.h"
#include "platform/JobQueues.h"

namespace Talvane::Nimlo {
namespace {

class PosixJobPool final : public JobPool {
public:
    explicit PosixJobPool(const std::vector<std::size_t>& threads)
        : queues_(threads)
        , ready_(threads.size())
        , threads_(threads.size())
    {}

    PosixJobPool(const PosixJobPool&) = delete;
    PosixJobPool& operator=(const PosixJobPool&) = delete;

    ~PosixJobPool() override
    {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        for (std::condition_variable& ready : ready_) {
            ready.notify_all();
        }
        for (std::vector<std::thread>& lane : threads_) {
            for (std::thread& thread : lane) {
                thread.join();
            }
        }
    }

    void Submit(std::size_t lane, std::uint64_t ticket, std::function<void()> job) override
    {
        const std::lock_guard lock(mutex_);
        if (queues_.Queue(lane, ticket, std::move(job))) {
            try {
                threads_[lane].emplace_back([this, lane] { Serve(lane); });
                queues_.Started(lane);
            } catch (const std::system_error&) {
                if (queues_.Threads(lane) == 0) {
                    queues_.Unqueue(lane);
                    throw;
                }
            }
        }
        ready_[lane].notify_one();
    }

    std::uint64_t Finished() override
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (const std::optional<std::uint64_t> ticket = queues_.TakeFinished()) {
                return *ticket;
            }
            finished_.wait(lock);
        }
    }

private:
    void Serve(std::size_t lane)
    {
        std::unique_lock lock(mutex_);
        while (!stopping_) {
            std::optional<QueuedJob> next = queues_.Take(lane);
            if (!next) {
                ready_[lane].wait(lock);
                continue;
            }
            lock.unlock();
            RunJob(*next);
            lock.lock();
            queues_.Done(lane, next->ticket);
            finished_.notify_one();
        }
    }

    std::mutex mutex_;
    bool stopping_ = false;
    JobQueues queues_;
    std::vector<std::condition_variable> ready_; // by lane: a job was queued, or the pool stops
    std::condition_variable finished_;
    std::vector<std::vector<std::thread>> threads_; // by lane
};

} // namespace

std::unique_ptr<JobPool> MakePlatformJobPool(const std::vector<std::size_t>& threads)
{
    return std::make_unique<PosixJobPool>(threads);
}

std::size_t ProcessorCount()
{
#ifdef __linux__
    // Those of the process's affinity, which a container or taskset may narrow.
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (::sched_getaffinity(0, sizeof allowed, &allowed) == 0 && CPU_COUNT(&allowed) > 0) {
        return static_cast<std::size_t>(CPU_COUNT(&allowed));
    }
#endif
    const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? static_cast<std::size_t>(online) : 1;
}

} // namespace Talvane::Nimlo
