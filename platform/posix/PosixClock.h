#pragma once

#include "platform/Deadline.h"

namespace Talvane::Nimlo {

// The monotonic clock in milliseconds, cut to 32 bits as the Windows tick
// count is, and nanosleep.
class PosixClock final : public Clock {
public:
    std::uint32_t Ticks() override;
    void Sleep(std::uint32_t milliseconds) override;
};

} // namespace Talvane::Nimlo
