#include "platform/win32/ProcessHardening.h"

#include <windows.h>

#include "platform/DllSearchPolicy.h"

namespace Talvane::Nimlo {
namespace {

// From Windows 8's headers; the function that takes it is looked up at run
// time, so nothing newer than XP is imported.
constexpr DWORD LoadLibrarySearchSystem32 = 0x00000800;
using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

SetDefaultDllDirectoriesFunction FindSetDefaultDllDirectories() noexcept
{
    // kernel32 is always loaded, so this loads nothing.
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr) {
        return nullptr;
    }
    // GetProcAddress hands out a generic function pointer; this is its type.
    return reinterpret_cast<SetDefaultDllDirectoriesFunction>( // NOLINT(cppcoreguidelines-pro-type-reinterpret-cast)
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
}

} // namespace

void HardenProcess() noexcept
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    // Everywhere (XP SP1 on): the current directory is off the search path.
    SetDllDirectoryW(L"");

    const SetDefaultDllDirectoriesFunction setDefault = FindSetDefaultDllDirectories();
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(&version)) {
        return;
    }
    if (ChooseDllSearch(setDefault != nullptr, version.dwMajorVersion, version.dwMinorVersion) ==
        DllSearch::SystemDirectoryOnly) {
        setDefault(LoadLibrarySearchSystem32);
    }
}

} // namespace Talvane::Nimlo
