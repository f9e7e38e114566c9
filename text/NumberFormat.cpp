#include "text/NumberFormat.h"

#include <cmath>
#include <string>

namespace Talvane::Nimlo {
namespace {

// Enough digits after the point to write any double exactly (the smallest
// subnormal has 1074 of them).
constexpr int ExactFractionDigits = 1074;

// Adds one unit in the last place of a string of decimal digits (and an
// optional "."), growing it by one digit when the carry runs off the front.
void IncrementDigits(std::string& digits)
{
    for (std::size_t i = digits.size(); i-- > 0;) {
        char& digit = digits[i];
        if (digit == '.') {
            continue;
        }
        if (digit != '9') {
            ++digit;
            return;
        }
        digit = '0';
    }
    digits.insert(digits.begin(), '1');
}

} // namespace

std::u16string FormatFixed(double value, int digitsAfterPoint)
{
    const bool negative = std::signbit(value);
    if (std::isnan(value)) {
        return negative ? u"-nan" : u"nan";
    }
    if (std::isinf(value)) {
        return negative ? u"-inf" : u"inf";
    }

    // The exact decimal expansion of the magnitude.
    std::string exact(310 + 1 + ExactFractionDigits, '\0');
    const auto written = std::to_chars(exact.data(), exact.data() + exact.size(), std::fabs(value),
                                       std::chars_format::fixed, ExactFractionDigits);
    exact.resize(static_cast<std::size_t>(written.ptr - exact.data()));

    const std::size_t point = exact.find('.');
    const std::size_t keep = digitsAfterPoint > 0 ? point + 1 + static_cast<std::size_t>(digitsAfterPoint) : point;
    const std::size_t nextDigit = digitsAfterPoint > 0 ? keep : point + 1;
    const bool roundUp = exact[nextDigit] >= '5';
    exact.resize(keep);
    if (roundUp) {
        IncrementDigits(exact);
    }
    if (negative) {
        exact.insert(exact.begin(), '-');
    }
    return WidenAscii(exact);
}

std::string FormatHex64(std::uint64_t number)
{
    std::string hex;
    for (int shift = 60; shift >= 0; shift -= 4) {
        hex += HexDigit(static_cast<unsigned>((number >> shift) & 0xF), HexLetters::Lower);
    }
    return hex;
}

} // namespace Talvane::Nimlo
