#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Talvane::Nimlo {

// The text of a file a Windows or Linux tool wrote, as valid UTF-8: UTF-8
// with or without a byte order mark, or UTF-16 with one (as PowerShell 5.1's
// Out-File and `>` write it). Bytes that are no UTF-8 become U+FFFD.
std::string DecodedText(std::string_view bytes);

// The host names of an --expect file, one a line: UTF-8 with or without a
// byte order mark, or UTF-16 with one (as PowerShell 5.1's Out-File and `>`
// write it), LF or CR LF. White space around a name and empty lines are
// passed over; every name comes back as valid UTF-8.
std::vector<std::string> ParseHostList(std::string_view bytes);

} // namespace Talvane::Nimlo
