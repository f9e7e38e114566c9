#pragma once

namespace Talvane::Nimlo {

// Where the DLLs that the program (or a system DLL on its behalf) loads by
// name may come from. The program's own folder (often Downloads) and the
// current directory are where a planted DLL would wait.
enum class DllSearch {
    // SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32): the system
    // directory only.
    SystemDirectoryOnly,
    // SetDllDirectoryW(L""): the current directory leaves the search path;
    // the program's folder stays on it.
    WithoutCurrentDirectory,
};

// Windows 8 and later have SetDefaultDllDirectories, and Vista, 7, 2008 and
// 2008 R2 have it with KB2533623; XP and 2003 never. On Vista and 2008 (6.0)
// it is left alone even when present: there, with the default directories
// set, a DLL loaded by full path no longer finds the DLLs beside it, and the
// WMI locator (wbem\wbemprox.dll, which needs wbem\wbemcomn.dll) could not be
// created, so those systems would get no report at all.
constexpr DllSearch ChooseDllSearch(bool setDefaultDllDirectoriesExists, unsigned majorVersion, unsigned minorVersion)
{
    const bool vista = majorVersion == 6 && minorVersion == 0;
    return setDefaultDllDirectoriesExists && !vista ? DllSearch::SystemDirectoryOnly
                                                    : DllSearch::WithoutCurrentDirectory;
}

} // namespace Talvane::Nimlo
