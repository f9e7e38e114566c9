#pragma once

#include <string_view>

namespace Talvane::Nimlo {

// Letters A to Z and a to z in the other case, whatever the locale; every
// other unit (UTF-8 bytes above ASCII among them) as it is.
template <class Unit> constexpr Unit AsciiLower(Unit c)
{
    return c >= Unit('A') && c <= Unit('Z') ? static_cast<Unit>(c - Unit('A') + Unit('a')) : c;
}

template <class Unit> constexpr Unit AsciiUpper(Unit c)
{
    return c >= Unit('a') && c <= Unit('z') ? static_cast<Unit>(c - Unit('a') + Unit('A')) : c;
}

// Whether `text` is `lower` (written in lower case) but for the case of ASCII letters.
constexpr bool EqualsIgnoringAsciiCase(std::string_view text, std::string_view lower)
{
    if (text.size() != lower.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (AsciiLower(text[i]) != lower[i]) {
            return false;
        }
    }
    return true;
}

static_assert(EqualsIgnoringAsciiCase(".HtMl", ".html") && !EqualsIgnoringAsciiCase(".htm", ".html") &&
              AsciiUpper(u'z') == u'Z' && AsciiLower('@') == '@' && AsciiLower('[') == '[');

} // namespace Talvane::Nimlo
