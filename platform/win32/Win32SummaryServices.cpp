// The fleet summary's services on Windows.
#include <windows.h>

#include "platform/SummaryServices.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Files.h"

namespace Talvane::Nimlo {
namespace {

// A console; a pipe or a file is no place for a line updated in place.
bool StandardErrorIsConsole()
{
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    return error != nullptr && error != INVALID_HANDLE_VALUE && GetConsoleMode(error, &mode) != FALSE;
}

} // namespace

std::unique_ptr<SummaryServices> MakePlatformSummaryServices()
{
    return std::make_unique<PlatformSummaryServices<Win32FileSystem, Win32Clock, &StandardErrorIsConsole>>();
}

} // namespace Talvane::Nimlo
