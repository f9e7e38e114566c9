#pragma once

#include <cstdint>
#include <functional>

namespace Talvane::Nimlo {

// Runs one task on a thread of its own, which the caller may wait for a
// bounded time and then abandon. An abandoned task is never stopped: the
// process ends around it.
class Worker {
public:
    virtual ~Worker() = default;

    // Starts `task` (which must not throw). Throws SystemError, with the
    // system's code, when no thread can be made. Called at most once.
    virtual void Start(std::function<void()> task) = 0;

    // Waits until the task has returned or `milliseconds` have passed; true
    // once it has returned.
    virtual bool Wait(std::uint32_t milliseconds) = 0;
};

} // namespace Talvane::Nimlo
