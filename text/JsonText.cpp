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

// The escaped form of one character: at most two \uXXXX escapes.
struct Escaped {
    char text[12]{};
    std::size_t size = 0;
    std::size_t taken = 0; // bytes of the UTF-8 text it stands for

    void Add(char c) { text[size++] = c; }
    void AddUnit(char32_t unit)
    {
        Add('\\');
        Add('u');
        for (int shift = 12; shift >= 0; shift -= 4) {
            Add(HexDigit(static_cast<unsigned>(unit >> shift)));
        }
    }
    std::string_view View() const { return {text, size}; }
};

// The escaped form of the character `text` starts with.
Escaped EscapeCharacter(std::string_view text)
{
    Escaped escaped;
    const std::size_t length = Utf8SequenceLength(text);
    if (length == 0) {
        escaped.AddUnit(0xFFFD);
        escaped.taken = 1;
        return escaped;
    }
    escaped.taken = length;
    const char32_t cp = DecodeUtf8(text, length);
    constexpr std::string_view Shorthands = "\"\"\\\\\bb\ff\nn\rr\tt"; // the character, then its letter
    for (std::size_t i = 0; i < Shorthands.size(); i += 2) {
        if (cp == static_cast<unsigned char>(Shorthands[i])) {
            escaped.Add('\\');
            escaped.Add(Shorthands[i + 1]);
            return escaped;
        }
    }
    if (cp >= 0x20 && cp < 0x7F) {
        escaped.Add(static_cast<char>(cp));
    } else if (cp < 0x10000) {
        escaped.AddUnit(cp);
    } else {
        escaped.AddUnit(0xD800 + ((cp - 0x10000) >> 10));
        escaped.AddUnit(0xDC00 + ((cp - 0x10000) & 0x3FF));
    }
    return escaped;
}

} // namespace

std::size_t JsonEscapedLength(std::string_view utf8)
{
    std::size_t total = 0;
    while (!utf8.empty()) {
        const Escaped escaped = EscapeCharacter(utf8);
        total += escaped.size;
        utf8.remove_prefix(escaped.taken);
    }
    return total;
}

std::string JsonStringContent(std::string_view utf8, std::size_t limit)
{
    const bool whole = JsonEscapedLength(utf8) <= limit;
    const std::size_t room = whole ? limit : (limit > Ellipsis.size() ? limit - Ellipsis.size() : 0);
    std::string out;
    while (!utf8.empty()) {
        const Escaped escaped = EscapeCharacter(utf8);
        if (out.size() + escaped.size > room) {
            break;
        }
        out += escaped.View();
        utf8.remove_prefix(escaped.taken);
    }
    if (!whole) {
        out.append(Ellipsis.substr(0, limit - out.size()));
    }
    return out;
}

} // namespace Talvane::Nimlo
