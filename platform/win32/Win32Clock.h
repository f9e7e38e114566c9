#pragma once

#include "platform/Deadline.h"

namespace Talvane::Nimlo {

// GetTickCount and Sleep (GetTickCount64 is not on XP; the deadlines are
// wrap-safe instead).
class Win32Clock final : public Clock {
public:
    std::uint32_t Ticks() override;
    void Sleep(std::uint32_t milliseconds) override;
};

} // namespace Talvane::Nimlo
