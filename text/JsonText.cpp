#include "text/JsonText.h"

#include "text/NumberFormat.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

constexpr std::string_view Ellipsis = "...";

// The code point of the well-formed sequence of `length` bytes at the start of `text`.
char32_t DecodeUtf8(std::string_view text, std::size_t length)
{
    const auto byte = [&text](std::size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(text[i])); };
    switch (length) {
    case 1:
        return byte(0);
    case 2:
        return ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
    case 3:
        return ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
    default:
        return ((byte(0) & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) | (byte(3) & 0x3F);
    }
}

void AppendUnitEscape(std::string& out, char32_t unit)
{
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) {
        out += HexDigit(static_cast<unsigned>(unit >> shift));
    }
}

// Appends the escaped form of the character `text` starts with and returns
// how many bytes of `text` it took.
std::size_t AppendEscapedCharacter(std::string& out, std::string_view text)
{
    const std::size_t length = Utf8SequenceLength(text);
    if (length == 0) {
        AppendUnitEscape(out, 0xFFFD);
        return 1;
    }
    const char32_t cp = DecodeUtf8(text, length);
    switch (cp) {
    case '"':
        out += "\\\"";
        break;
    case '\\':
        out += "\\\\";
        break;
    case '\b':
        out += "\\b";
        break;
    case '\f':
        out += "\\f";
        break;
    case '\n':
        out += "\\n";
        break;
    case '\r':
        out += "\\r";
        break;
    case '\t':
        out += "\\t";
        break;
    default:
        if (cp >= 0x20 && cp < 0x7F) {
            out += static_cast<char>(cp);
        } else if (cp < 0x10000) {
            AppendUnitEscape(out, cp);
        } else {
            AppendUnitEscape(out, 0xD800 + ((cp - 0x10000) >> 10));
            AppendUnitEscape(out, 0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    }
    return length;
}

} // namespace

std::size_t JsonEscapedLength(std::string_view utf8)
{
    std::size_t total = 0;
    std::string one;
    while (!utf8.empty()) {
        one.clear();
        utf8.remove_prefix(AppendEscapedCharacter(one, utf8));
        total += one.size();
    }
    return total;
}

std::string JsonStringContent(std::string_view utf8, std::size_t limit)
{
    const bool whole = JsonEscapedLength(utf8) <= limit;
    const std::size_t room = whole ? limit : (limit > Ellipsis.size() ? limit - Ellipsis.size() : 0);
    std::string out;
    std::string one;
    while (!utf8.empty()) {
        one.clear();
        const std::size_t taken = AppendEscapedCharacter(one, utf8);
        if (out.size() + one.size() > room) {
            break;
        }
        out += one;
        utf8.remove_prefix(taken);
    }
    if (!whole) {
        out.append(Ellipsis.substr(0, limit - out.size()));
    }
    return out;
}

} // namespace Talvane::Nimlo
