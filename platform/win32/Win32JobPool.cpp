// The job pool on what Windows XP and Server 2003 export: threads of
// CreateThread, one critical section, and semaphores that count the jobs
// queued on each lane and the jobs done. The thread model the shipped programs
// are built with has no std::thread, and condition variables came with Vista.
#include <windows.h>

#include <climits>
#include <memory>

#include "platform/JobPool.h"
#include "platform/JobQueues.h"
#include "platform/SystemError.h"
#include "platform/UniqueValue.h"
#include "platform/win32/CriticalSection.h"

namespace Talvane::Nimlo {
namespace {

using UniqueHandle = UniqueValue<HANDLE, &::CloseHandle>;

UniqueHandle NewCount()
{
    UniqueHandle count(CreateSemaphoreW(nullptr, 0, LONG_MAX, nullptr));
    if (!count) {
        throw SystemError::Win32(GetLastError(), "Making the summary's threads failed");
    }
    return count;
}

class Win32JobPool final : public JobPool {
public:
    explicit Win32JobPool(const std::vector<std::size_t>& threads) : queues_(threads), finished_(NewCount())
    {
        for (std::size_t lane = 0; lane < queues_.Lanes(); ++lane) {
            lanes_.push_back(std::make_unique<Lane>(Lane{this, lane, NewCount(), {}}));
            lanes_.back()->threads.reserve(queues_.MostThreads(lane)); // a thread's handle is kept once it runs
        }
    }

    Win32JobPool(const Win32JobPool&) = delete;
    Win32JobPool& operator=(const Win32JobPool&) = delete;

    ~Win32JobPool() override
    {
        {
            const CriticalSection::Hold hold(section_);
            stopping_ = true;
        }
        for (const auto& lane : lanes_) {
            if (!lane->threads.empty()) {
                ReleaseSemaphore(lane->queued.get(), static_cast<LONG>(lane->threads.size()), nullptr);
            }
        }
        for (const auto& lane : lanes_) {
            for (const UniqueHandle& thread : lane->threads) {
                WaitForSingleObject(thread.get(), INFINITE);
            }
        }
    }

    void Submit(std::size_t lane, std::uint64_t ticket, std::function<void()> job) override
    {
        Lane& to = *lanes_.at(lane);
        {
            const CriticalSection::Hold hold(section_);
            if (queues_.Queue(lane, ticket, std::move(job))) {
                UniqueHandle thread(CreateThread(nullptr, 0, &Win32JobPool::Serve, &to, 0, nullptr));
                if (thread) {
                    to.threads.push_back(std::move(thread));
                    queues_.Started(lane);
                } else if (queues_.Threads(lane) == 0) {
                    const DWORD error = GetLastError();
                    queues_.Unqueue(lane);
                    throw SystemError::Win32(error, "Starting the summary's threads failed");
                }
            }
        }
        ReleaseSemaphore(to.queued.get(), 1, nullptr);
    }

    std::uint64_t Finished() override
    {
        WaitForSingleObject(finished_.get(), INFINITE);
        const CriticalSection::Hold hold(section_);
        return queues_.TakeFinished().value_or(0);
    }

private:
    struct Lane {
        Win32JobPool* pool;
        std::size_t index;
        UniqueHandle queued; // counts the jobs queued, and once more for each thread when the pool stops
        std::vector<UniqueHandle> threads;
    };

    static DWORD WINAPI Serve(void* lane)
    {
        const Lane& self = *static_cast<const Lane*>(lane);
        Win32JobPool& pool = *self.pool;
        for (;;) {
            WaitForSingleObject(self.queued.get(), INFINITE);
            std::optional<QueuedJob> next;
            {
                const CriticalSection::Hold hold(pool.section_);
                if (pool.stopping_) {
                    return 0;
                }
                next = pool.queues_.Take(self.index);
            }
            if (!next) {
                continue; // cannot be: each count stands for a job queued
            }
            RunJob(*next);
            {
                const CriticalSection::Hold hold(pool.section_);
                pool.queues_.Done(self.index, next->ticket);
            }
            ReleaseSemaphore(pool.finished_.get(), 1, nullptr);
        }
    }

    CriticalSection section_;
    bool stopping_ = false;
    JobQueues queues_;
    UniqueHandle finished_; // counts the jobs done and not yet handed back
    std::vector<std::unique_ptr<Lane>> lanes_;
};

} // namespace

std::unique_ptr<JobPool> MakePlatformJobPool(const std::vector<std::size_t>& threads)
{
    return std::make_unique<Win32JobPool>(threads);
}

std::size_t ProcessorCount()
{
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    return system.dwNumberOfProcessors > 0 ? system.dwNumberOfProcessors : 1;
}

} // namespace Talvane::Nimlo
