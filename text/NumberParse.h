#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace Talvane::Nimlo {

// Base-10 text-to-number conversions with the semantics of the C library's
// strtoul family: leading white space is skipped, one "+" or "-" is accepted
// (a "-" negates the value in the unsigned type), digits are read as far as
// they go and the rest is ignored.
//
// Errors: std::invalid_argument("invalid stoul argument") when no digit is
// found, std::out_of_range("stoul argument out of range") when the digits do
// not fit 32 bits; the 64-bit variant says "stoull" instead.
std::uint32_t ParseUnsigned32(std::u16string_view text);
std::uint64_t ParseUnsigned64(std::u16string_view text);

// The same as ParseUnsigned64, but empty where that one throws.
std::optional<std::uint64_t> TryParseUnsigned64(std::u16string_view text);

} // namespace Talvane::Nimlo
