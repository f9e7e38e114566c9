#pragma once

#include <string>
#include <string_view>

namespace Talvane::Nimlo::Testing {

// The bytes of `text` as UTF-16 with its byte order mark, little-endian as
// PowerShell 5.1's `>` and Out-File write it, or big-endian.
inline std::string Utf16WithBom(std::u16string_view text, bool bigEndian = false)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

} // namespace Talvane::Nimlo::Testing
