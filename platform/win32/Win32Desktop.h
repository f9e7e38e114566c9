#pragma once

#include "platform/Desktop.h"

namespace Talvane::Nimlo {

// Whether the process's window station is the one a user sees: it has
// WSF_VISIBLE, which services, tasks run without a logged-on user and remote
// shells lack. When that cannot be told, it counts as seen (as on any desktop).
// Allocates nothing, so the last error handler of the program can ask too.
bool WindowStationIsVisible() noexcept;

// The shell's "open" verb and a plain message box.
class Win32Desktop : public Desktop {
public:
    void Open(const char16_t* fileName) override;
    bool MessagesCanBeSeen() override { return WindowStationIsVisible(); }
    void ShowMessage(const char16_t* text, const char16_t* caption) override;
};

} // namespace Talvane::Nimlo
