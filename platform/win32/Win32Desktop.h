#pragma once

#include "platform/Desktop.h"

namespace Talvane::Nimlo {

// The shell's "open" verb and a plain message box.
class Win32Desktop : public Desktop {
public:
    void Open(const std::u16string& fileName) override;
    void ShowMessage(const std::u16string& text, const std::u16string& caption) override;
};

} // namespace Talvane::Nimlo
