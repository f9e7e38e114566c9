#pragma once

#include <string>
#include <string_view>

namespace Talvane::Nimlo {

// What a path is made of where the platform's calls take it: UTF-16 units
// on Windows, bytes on POSIX, the very units std::filesystem::path holds
// (its native()), so that a path passes between the two unchanged.
#ifdef _WIN32
using PathUnit = wchar_t;
#else
using PathUnit = char;
#endif

// A path as the platform names a file: any name the system can hold comes
// through as it is, UTF-8 (POSIX) or UTF-16 (Windows) or not. Bare or
// relative paths are resolved against the current directory.
using FilePath = std::basic_string<PathUnit>;

// ASCII text as a path's units, which are the same for it on every platform.
inline FilePath AsciiPath(std::string_view ascii)
{
    return FilePath(ascii.begin(), ascii.end());
}

} // namespace Talvane::Nimlo
