#include "text/HtmlText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <utility>

#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

constexpr std::array<std::pair<std::string_view, char32_t>, 9> NamedEntities{{
    {"amp", U'&'},
    {"lt", U'<'},
    {"gt", U'>'},
    {"quot", U'"'},
    {"apos", U'\''},
    {"nbsp", U'\u00A0'},
    {"copy", U'\u00A9'},
    {"reg", U'\u00AE'},
    {"trade", U'\u2122'},
}};

constexpr char32_t Replacement = U'\uFFFD';
constexpr std::size_t LongestEntity = 32; // names are short; numbers may have leading zeros

// The character of the entity's name (what stands between "&" and ";").
std::optional<char32_t> EntityCharacter(std::string_view name)
{
    for (const auto& [entity, character] : NamedEntities) {
        if (name == entity) {
            return character;
        }
    }
    if (name.size() < 2 || name[0] != '#') {
        return std::nullopt;
    }
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
        return error == std::errc::result_out_of_range ? std::optional<char32_t>(Replacement) : std::nullopt;
    }
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return Replacement;
    }
    return static_cast<char32_t>(value);
}

} // namespace

std::string DecodeEntities(std::string_view html)
{
    std::string out;
    out.reserve(html.size());
    std::size_t at = 0;
    while (at < html.size()) {
        const std::size_t amp = html.find('&', at);
        if (amp == std::string_view::npos) {
            break;
        }
        out.append(html, at, amp - at);
        const std::size_t semicolon = html.substr(amp + 1, LongestEntity + 1).find(';');
        const std::optional<char32_t> character =
            semicolon == std::string_view::npos ? std::nullopt : EntityCharacter(html.substr(amp + 1, semicolon));
        if (character) {
            AppendUtf8(out, *character);
            at = amp + semicolon + 2;
        } else {
            out += '&';
            at = amp + 1;
        }
    }
    out.append(html.substr(std::min(at, html.size())));
    return out;
}

std::string EscapeHtml(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace Talvane::Nimlo
