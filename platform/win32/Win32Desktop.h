#pragma once

#include <string_view>

#include "platform/Desktop.h"

namespace Talvane::Nimlo {

// Whether the process's window station is the one a user sees: it has
// WSF_VISIBLE, which services, tasks run without a logged-on user and remote
// shells lack. When that cannot be told, it counts as seen (as on any desktop).
// Allocates nothing, so the last error handler of the program can ask too.
bool WindowStationIsVisible() noexcept;

// Writes `line` to standard error or standard output (STD_ERROR_HANDLE,
// STD_OUTPUT_HANDLE) when that is a file or a pipe, with WriteFile (nothing is
// buffered in the process, so the line survives an immediate end); nothing for
// a console or no handle. Allocates nothing.
void WriteStandardLine(unsigned long which, std::string_view line) noexcept;

// The shell's "open" verb and a plain message box.
class Win32Desktop : public Desktop {
public:
    void Open(const char16_t* fileName) override;
    bool MessagesCanBeSeen() override { return WindowStationIsVisible(); }
    void ShowMessage(const char16_t* text, const char16_t* caption) override;
    void WriteErrorLine(std::string_view line) noexcept override;
    void WriteOutputLine(std::string_view line) noexcept override;
};

} // namespace Talvane::Nimlo
