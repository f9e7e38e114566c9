#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>

#include "platform/Deadline.h"
#include "platform/Wmi.h"

namespace Talvane::Nimlo {

// What one bounded wait for a query's next result object gave.
struct WmiSlice {
    std::unique_ptr<WmiObject> object; // the next object; null at the end of the results or when none came yet
    bool timedOut = false;             // none came yet: the wait ran out first (WBEM_S_TIMEDOUT)
};

// The longest single wait for a result object.
inline constexpr std::uint32_t WmiWaitSliceMilliseconds = 1000;

// The next result object (null at the end of the results), waited for in
// slices of at most a second, each `waitSlice(milliseconds)`, until one
// answers or `deadline` passes; throws DeadlinePassed then. A slice that runs
// out is no error: the provider may just be slow.
template <typename WaitSlice>
std::unique_ptr<WmiObject> NextBefore(const Deadline& deadline, Clock& clock, WaitSlice&& waitSlice)
{
    for (;;) {
        const std::uint32_t remaining = deadline.Remaining(clock.Ticks());
        if (remaining == 0) {
            throw DeadlinePassed();
        }
        WmiSlice slice = waitSlice(std::min(remaining, WmiWaitSliceMilliseconds));
        if (!slice.timedOut) {
            return std::move(slice.object);
        }
    }
}

} // namespace Talvane::Nimlo
