#pragma once

#include <string>
#include <string_view>

namespace Talvane::Nimlo {

// How messages show what does not print, so that a CR, a NUL or a stray byte
// in a name or an excerpt shows as what it is and cannot break the line.

// "\xHH" for `byte`.
void AppendHexEscape(std::string& out, unsigned char byte);

// `byte` as a message shows it: "\n", "\r", "\t", "\xHH" for the other
// control characters and DEL, anything else as it is.
void AppendShown(std::string& out, unsigned char byte);

// `text` with every byte as AppendShown shows it.
std::string ShownText(std::string_view text);

} // namespace Talvane::Nimlo
