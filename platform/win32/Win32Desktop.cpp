#include "platform/win32/Win32Desktop.h"

#include <windows.h>

#include <shellapi.h>

#include "platform/win32/WideString.h"

namespace Talvane::Nimlo {

bool WindowStationIsVisible() noexcept
{
    // The process's own window station: not to be closed.
    HWINSTA station = GetProcessWindowStation();
    USEROBJECTFLAGS flags{};
    if (station == nullptr || !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr)) {
        return true;
    }
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

void Win32Desktop::Open(const char16_t* fileName)
{
    // The viewer runs on its own; its result is of no use to the run.
    ShellExecuteW(nullptr, L"open", AsWide(fileName), nullptr, nullptr, SW_SHOWNORMAL);
}

void Win32Desktop::ShowMessage(const char16_t* text, const char16_t* caption)
{
    MessageBoxW(nullptr, AsWide(text), AsWide(caption), MB_OK);
}

} // namespace Talvane::Nimlo
