#pragma once

#include <string_view>

namespace Talvane::Nimlo {

// What the run asks of the desktop: open a document, tell the user something.
// Texts are zero-terminated UTF-16 and are only read during the call, so the
// run's error paths can pass fixed texts without allocating.
class Desktop {
public:
    virtual ~Desktop() = default;

    // Asks the shell to open `fileName` (relative to the current directory)
    // with its handler; does not wait for the viewer.
    virtual void Open(const char16_t* fileName) = 0;

    // Whether a message box would reach a user. False where the process runs
    // on a window station nobody sees (a service, a scheduled task without a
    // logged-on user, a remote shell): a box there would wait for ever.
    virtual bool MessagesCanBeSeen() = 0;

    // A modal message box with one OK button; returns once it is dismissed.
    virtual void ShowMessage(const char16_t* text, const char16_t* caption) = 0;

    // For a box nobody can see: writes `line` (UTF-8, ending in CR LF) to
    // standard error, unbuffered, when that is a file or a pipe a caller can
    // read; nothing otherwise (a console, or none). Allocates nothing.
    virtual void WriteErrorLine(std::string_view line) noexcept = 0;

    // For the tool that started the program: writes `line` to standard
    // output, unbuffered, when that is a file or a pipe, whether or not a
    // window can be seen; nothing otherwise (a double-click has none).
    // Allocates nothing.
    virtual void WriteOutputLine(std::string_view line) noexcept = 0;
};

} // namespace Talvane::Nimlo
