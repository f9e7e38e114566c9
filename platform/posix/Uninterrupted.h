#pragma once

#include <cerrno>

namespace Talvane::Nimlo {

// `call` again for as long as a signal interrupts it (it fails with EINTR).
template <class Call> auto Uninterrupted(Call call)
{
    for (;;) {
        errno = 0;
        const auto result = call();
        if (result >= 0 || errno != EINTR) {
            return result;
        }
    }
}

} // namespace Talvane::Nimlo
