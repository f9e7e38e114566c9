#pragma once

#include <string>

namespace Talvane::Nimlo {

// What the run asks of the desktop: open a document, tell the user something.
class Desktop {
public:
    virtual ~Desktop() = default;

    // Asks the shell to open `fileName` (relative to the current directory)
    // with its handler; does not wait for the viewer.
    virtual void Open(const std::u16string& fileName) = 0;

    // A modal message box with one OK button; returns once it is dismissed.
    virtual void ShowMessage(const std::u16string& text, const std::u16string& caption) = 0;
};

} // namespace Talvane::Nimlo
