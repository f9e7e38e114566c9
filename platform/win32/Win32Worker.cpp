#include "platform/win32/Win32Worker.h"

#include <utility>

#include "platform/SystemError.h"

namespace Talvane::Nimlo {

void Win32Worker::Start(std::function<void()> task)
{
    task_ = std::move(task);
    thread_.reset(CreateThread(nullptr, 0, &Win32Worker::Run, this, 0, nullptr));
    if (!thread_) {
        throw SystemError::Win32(GetLastError(), "Starting the collection failed");
    }
}

bool Win32Worker::Wait(std::uint32_t milliseconds)
{
    return WaitForSingleObject(thread_.get(), milliseconds) == WAIT_OBJECT_0;
}

DWORD WINAPI Win32Worker::Run(void* self)
{
    try {
        static_cast<Win32Worker*>(self)->task_();
    } catch (...) {
        // The task keeps its own errors; nothing may leave the thread.
    }
    return 0;
}

} // namespace Talvane::Nimlo
