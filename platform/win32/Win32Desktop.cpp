#include "platform/win32/Win32Desktop.h"

#include <windows.h>

#include <shellapi.h>

#include "platform/win32/WideString.h"

namespace Talvane::Nimlo {

void Win32Desktop::Open(const std::u16string& fileName)
{
    // The viewer runs on its own; its result is of no use to the run.
    ShellExecuteW(nullptr, L"open", AsWide(fileName), nullptr, nullptr, SW_SHOWNORMAL);
}

void Win32Desktop::ShowMessage(const std::u16string& text, const std::u16string& caption)
{
    MessageBoxW(nullptr, AsWide(text), AsWide(caption), MB_OK);
}

} // namespace Talvane::Nimlo
