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

// A name as the summary's outputs write it: a NUL, which no real computer's
// name holds, escaped as messages write it (\x00), so that nothing reading a
// CSV or a page takes it for the name's end; every other byte as it is.
std::string NulEscaped(std::string_view name);

} // namespace Talvane::Nimlo
