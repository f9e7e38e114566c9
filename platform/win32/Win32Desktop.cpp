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

void WriteStandardLine(unsigned long which, std::string_view line) noexcept
{
    // Not to be closed: the process's own standard handle.
    const HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return;
    }
    const DWORD type = GetFileType(handle);
    if (type != FILE_TYPE_DISK && type != FILE_TYPE_PIPE) {
        return;
    }
    while (!line.empty()) {
        DWORD written = 0;
        if (!WriteFile(handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) || written == 0) {
            return;
        }
        line.remove_prefix(written);
    }
    // A pipe is never flushed: that would wait until the reader has read,
    // and a caller that reads only once the process has ended would wait too.
    if (type == FILE_TYPE_DISK) {
        FlushFileBuffers(handle);
    }
}

void Win32Desktop::WriteErrorLine(std::string_view line) noexcept
{
    WriteStandardLine(STD_ERROR_HANDLE, line);
}

void Win32Desktop::WriteOutputLine(std::string_view line) noexcept
{
    WriteStandardLine(STD_OUTPUT_HANDLE, line);
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
