#pragma once

#include <algorithm>
#include <array>
#include <string_view>

namespace Talvane::Nimlo {

// Whether Windows takes a file name for a device whatever the folder: CON,
// PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, CONIN$ and CONOUT$, in any case,
// with or without an extension ("nul.html", "Con .txt" are devices too).
inline bool IsReservedDeviceName(std::u16string_view name)
{
    name = name.substr(0, name.find(u'.'));
    while (!name.empty() && name.back() == u' ') {
        name.remove_suffix(1);
    }
    if (name.size() > 7) {
        return false;
    }
    std::array<char, 8> upper{};
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (c > 0x7F) {
            return false;
        }
        upper[i] = static_cast<char>(c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c);
    }
    const std::string_view text(upper.data(), name.size());
    constexpr std::array<std::string_view, 6> Plain = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    if (std::find(Plain.begin(), Plain.end(), text) != Plain.end()) {
        return true;
    }
    return text.size() == 4 && (text.starts_with("COM") || text.starts_with("LPT")) && text[3] >= '1' && text[3] <= '9';
}

} // namespace Talvane::Nimlo
