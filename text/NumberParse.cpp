#include "text/NumberParse.h"

#include <limits>
#include <stdexcept>

namespace Talvane::Nimlo {
namespace {

bool IsSpace(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

enum class ParseError { None, NoDigits, OutOfRange };

template <typename Unsigned> struct Parsed {
    Unsigned value = 0;
    ParseError error = ParseError::None;
};

template <typename Unsigned> Parsed<Unsigned> Parse(std::u16string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && IsSpace(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        negative = text[pos] == u'-';
        ++pos;
    }
    if (pos == text.size() || !IsDigit(text[pos])) {
        return {0, ParseError::NoDigits};
    }

    constexpr Unsigned max = std::numeric_limits<Unsigned>::max();
    Unsigned value = 0;
    bool overflow = false;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        const auto digit = static_cast<Unsigned>(text[pos] - u'0');
        if (value > (max - digit) / 10) {
            overflow = true;
        } else {
            value = static_cast<Unsigned>(value * 10 + digit);
        }
    }
    if (overflow) {
        return {0, ParseError::OutOfRange};
    }
    return {negative ? static_cast<Unsigned>(Unsigned{0} - value) : value, ParseError::None};
}

template <typename Unsigned>
Unsigned ValueOrThrow(const Parsed<Unsigned>& parsed, const char* invalidMessage, const char* rangeMessage)
{
    switch (parsed.error) {
    case ParseError::NoDigits:
        throw std::invalid_argument(invalidMessage);
    case ParseError::OutOfRange:
        throw std::out_of_range(rangeMessage);
    case ParseError::None:
        break;
    }
    return parsed.value;
}

} // namespace

std::uint32_t ParseUnsigned32(std::u16string_view text)
{
    return ValueOrThrow(Parse<std::uint32_t>(text), "invalid stoul argument", "stoul argument out of range");
}

std::uint64_t ParseUnsigned64(std::u16string_view text)
{
    return ValueOrThrow(Parse<std::uint64_t>(text), "invalid stoull argument", "stoull argument out of range");
}

std::optional<std::uint64_t> TryParseUnsigned64(std::u16string_view text)
{
    const Parsed<std::uint64_t> parsed = Parse<std::uint64_t>(text);
    if (parsed.error != ParseError::None) {
        return std::nullopt;
    }
    return parsed.value;
}

} // namespace Talvane::Nimlo
