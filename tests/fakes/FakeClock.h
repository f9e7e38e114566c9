#pragma once

#include <cstdint>
#include <numeric>
#include <vector>

#include "platform/Deadline.h"

namespace Talvane::Nimlo::Testing {

// Time that passes only when somebody sleeps; it starts just before the
// 32-bit count wraps, so every span measured across the wrap.
class FakeClock : public Clock {
public:
    std::uint32_t Ticks() override { return now; }
    void Sleep(std::uint32_t milliseconds) override
    {
        sleeps.push_back(milliseconds);
        now += milliseconds;
    }

    // All the time slept.
    std::uint32_t Slept() const { return std::accumulate(sleeps.begin(), sleeps.end(), std::uint32_t{0}); }

    std::uint32_t now = 0xFFFFF000u;
    std::vector<std::uint32_t> sleeps;
};

} // namespace Talvane::Nimlo::Testing
