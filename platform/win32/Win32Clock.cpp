#include "platform/win32/Win32Clock.h"

#include <windows.h>

namespace Talvane::Nimlo {

std::uint32_t Win32Clock::Ticks()
{
    return GetTickCount();
}

void Win32Clock::Sleep(std::uint32_t milliseconds)
{
    ::Sleep(milliseconds);
}

} // namespace Talvane::Nimlo
