#pragma once

#include <windows.h>

#include <functional>

#include "platform/UniqueValue.h"
#include "platform/Worker.h"

namespace Talvane::Nimlo {

// A thread from CreateThread, waited for with WaitForSingleObject (the
// shipped program's thread model has no std::thread). The owner must outlive
// the thread, or the process must end while it runs.
class Win32Worker final : public Worker {
public:
    Win32Worker() = default;
    Win32Worker(const Win32Worker&) = delete;
    Win32Worker& operator=(const Win32Worker&) = delete;
    ~Win32Worker() override = default;

    void Start(std::function<void()> task) override;
    bool Wait(std::uint32_t milliseconds) override;

private:
    static DWORD WINAPI Run(void* self);

    std::function<void()> task_;
    UniqueValue<HANDLE, &::CloseHandle> thread_;
};

} // namespace Talvane::Nimlo
