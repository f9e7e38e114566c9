#pragma once

#include <windows.h>

namespace Talvane::Nimlo {

// Sole owner of one critical section: initialized when made, deleted when it
// goes. The lock of the thread model the shipped programs are built with,
// which has no std::mutex.
class CriticalSection {
public:
    CriticalSection() noexcept { InitializeCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    ~CriticalSection() { DeleteCriticalSection(&section_); }

    // Holds the section from its making to its end.
    class Hold {
    public:
        explicit Hold(CriticalSection& held) noexcept : held_(held) { EnterCriticalSection(&held_.section_); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        ~Hold() { LeaveCriticalSection(&held_.section_); }

    private:
        CriticalSection& held_;
    };

private:
    CRITICAL_SECTION section_{};
};

} // namespace Talvane::Nimlo
