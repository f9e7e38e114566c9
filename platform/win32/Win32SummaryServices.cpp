// The fleet summary's services on Windows.
#include <windows.h>

#include "platform/SummaryServices.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Files.h"

namespace Talvane::Nimlo {
namespace {

class Win32SummaryServices final : public SummaryServices {
public:
    FileSystem& Files() override { return files_; }
    Clock& TickClock() override { return clock_; }

    bool StandardErrorIsTerminal() override
    {
        // A console; a pipe or a file is no place for a line updated in place.
        const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
        DWORD mode = 0;
        return error != nullptr && error != INVALID_HANDLE_VALUE && GetConsoleMode(error, &mode) != FALSE;
    }

private:
    Win32FileSystem files_;
    Win32Clock clock_;
};

} // namespace

std::unique_ptr<SummaryServices> MakePlatformSummaryServices()
{
    return std::make_unique<Win32SummaryServices>();
}

} // namespace Talvane::Nimlo
