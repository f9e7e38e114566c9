#pragma once

#include <string>

namespace Talvane::Nimlo {

// wchar_t is UTF-16 on Windows, so the portable code's 16-bit text is handed
// to the API as it is.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t must be a 16-bit type on this platform");

inline const wchar_t* AsWide(const std::u16string& text)
{
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline const wchar_t* AsWide(const char16_t* text)
{
    return reinterpret_cast<const wchar_t*>(text);
}

inline std::u16string FromWide(const wchar_t* text, std::size_t length)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

} // namespace Talvane::Nimlo
