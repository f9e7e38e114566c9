#include "text/ShownText.h"

#include "text/NumberFormat.h"

namespace Talvane::Nimlo {

void AppendHexEscape(std::string& out, unsigned char byte)
{
    out += "\\x";
    out += HexDigit(byte >> 4);
    out += HexDigit(byte);
}

void AppendShown(std::string& out, unsigned char byte)
{
    switch (byte) {
    case '\n':
        out += "\\n";
        return;
    case '\r':
        out += "\\r";
        return;
    case '\t':
        out += "\\t";
        return;
    default:
        break;
    }
    if (byte < 0x20 || byte == 0x7F) {
        AppendHexEscape(out, byte);
    } else {
        out += static_cast<char>(byte);
    }
}

std::string NulEscaped(std::string_view name)
{
    std::string escaped;
    escaped.reserve(name.size());
    for (const char c : name) {
        if (c == '\0') {
            AppendHexEscape(escaped, 0);
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string ShownText(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        AppendShown(shown, static_cast<unsigned char>(c));
    }
    return shown;
}

} // namespace Talvane::Nimlo
