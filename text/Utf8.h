#pragma once

#include <string>
#include <string_view>

namespace Talvane::Nimlo {

// Converts UTF-16 text to UTF-8. A valid surrogate pair becomes the four-byte
// form of its code point; a surrogate without its partner becomes U+FFFD, so
// the result is always valid UTF-8. Never fails.
std::string ToUtf8(std::u16string_view text);

// Widens ASCII text unit by unit. Bytes above 0x7F, which no caller should
// pass, become U+FFFD rather than being reinterpreted.
std::u16string WidenAscii(std::string_view text);

} // namespace Talvane::Nimlo
