#pragma once

#include <cstdint>

#include "platform/Deadline.h"

namespace Talvane::Nimlo {

// The longest pause between two tries of a target held open elsewhere.
inline constexpr std::uint32_t BusyTargetLongestPause = 500;

// The time one run may spend trying again targets that another program holds
// open, shared by all of them: however many are busy, the run waits at most
// `budget` milliseconds in all.
class BusyRetries {
public:
    BusyRetries(Clock& clock, std::uint32_t budget) : clock_(&clock), left_(budget) {}

    Clock& TickClock() const { return *clock_; }
    std::uint32_t Left() const { return left_; }
    void Spend(std::uint32_t milliseconds) { left_ -= milliseconds < left_ ? milliseconds : left_; }

private:
    Clock* clock_;
    std::uint32_t left_;
};

} // namespace Talvane::Nimlo
