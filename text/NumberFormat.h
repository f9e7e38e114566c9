#pragma once

#include <charconv>
#include <concepts>
#include <cstdint>
#include <string>

#include "text/Utf8.h"

namespace Talvane::Nimlo {

// Fixed notation with exactly `digitsAfterPoint` digits, rounded from the exact
// binary value with halves going away from zero (2.125 -> "2.13", 2.5 -> "3"
// with no digits). Negative values, -0.0 included, carry a leading "-".
// No grouping, "." as the decimal point.
std::u16string FormatFixed(double value, int digitsAfterPoint);

// Plain decimal digits, a "-" for negative values, nothing else.
template <std::integral T> std::u16string FormatInteger(T value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return WidenAscii(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
}

enum class HexLetters { Upper, Lower };

// The hexadecimal digit of the low four bits of `value`: "0" to "9", then "A"
// to "F" ("a" to "f" with HexLetters::Lower).
constexpr char HexDigit(unsigned value, HexLetters letters = HexLetters::Upper)
{
    return (letters == HexLetters::Upper ? "0123456789ABCDEF" : "0123456789abcdef")[value & 0xF];
}

// All 16 hexadecimal digits of `number`, lowercase, leading zeros kept.
std::string FormatHex64(std::uint64_t number);

} // namespace Talvane::Nimlo
