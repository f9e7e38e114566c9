#pragma once

#include <string>
#include <string_view>

namespace Talvane::Nimlo {

// Converts UTF-16 text to UTF-8. A valid surrogate pair becomes the four-byte
// form of its code point; a surrogate without its partner becomes U+FFFD, so
// the result is always valid UTF-8. Never fails.
std::string ToUtf8(std::u16string_view text);

// Appends the UTF-8 form of one code point (1 to 4 bytes). A value that is no
// Unicode scalar value (a surrogate, or past U+10FFFF) is appended as U+FFFD,
// so what is appended is always valid UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

// The length of the well-formed UTF-8 sequence that `text` starts with (1 to
// 4 bytes; no overlong forms, surrogates or code points past U+10FFFF), or 0
// when it starts with none.
std::size_t Utf8SequenceLength(std::string_view text);

// The bytes as valid UTF-8: each byte that starts no well-formed sequence
// becomes U+FFFD, everything else is kept as it is.
std::string ValidUtf8(std::string_view bytes);

// Widens ASCII text unit by unit. Bytes above 0x7F, which no caller should
// pass, become U+FFFD rather than being reinterpreted.
std::u16string WidenAscii(std::string_view text);

} // namespace Talvane::Nimlo
