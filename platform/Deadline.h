#pragma once

#include <cstdint>
#include <stdexcept>

namespace Talvane::Nimlo {

// Milliseconds as the system counts them since it started: a 32-bit count
// that wraps after 49.7 days (GetTickCount on Windows), and sleeping.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint32_t Ticks() = 0;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
};

// A limit of `limit` milliseconds from the tick `start`. The elapsed time is
// the difference of two counts taken modulo 2^32, so a wrap of the count in
// between changes nothing (for spans under 49 days).
struct Deadline {
    std::uint32_t start = 0;
    std::uint32_t limit = 0;

    std::uint32_t Remaining(std::uint32_t now) const noexcept
    {
        const std::uint32_t elapsed = now - start;
        return elapsed >= limit ? 0 : limit - elapsed;
    }
};

// A wait given up because its deadline passed. The waiter that catches it
// knows which step was under way and says so.
class DeadlinePassed : public std::runtime_error {
public:
    DeadlinePassed() : std::runtime_error("the deadline passed") {}
};

} // namespace Talvane::Nimlo
