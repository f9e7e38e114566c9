#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace Talvane::Nimlo {

// The inside of a JSON string (RFC 8259) in ASCII only: `"` and `\` escaped,
// control characters as \b, \f, \n, \r, \t or \u00XX, DEL and every character
// outside ASCII as \uXXXX (a surrogate pair above U+FFFF). A console's code
// page, whatever it is, cannot garble it. `utf8` is expected to be valid UTF-8;
// a byte that starts no well-formed sequence is written as \uFFFD.
//
// At most `limit` bytes: text whose escaped form is longer is cut after a
// whole character and ends in "...".
std::string JsonStringContent(std::string_view utf8, std::size_t limit = std::string::npos);

// The length of the escaped form of `utf8`, uncut.
std::size_t JsonEscapedLength(std::string_view utf8);

} // namespace Talvane::Nimlo
