#include "summary/HostList.h"

#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

std::string FromUtf16(std::string_view bytes, bool bigEndian)
{
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
    return ToUtf8(text);
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

} // namespace

std::string DecodedText(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        return FromUtf16(bytes.substr(2), bytes.starts_with("\xFE\xFF"));
    }
    return ValidUtf8(bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes);
}

std::vector<std::string> ParseHostList(std::string_view bytes)
{
    const std::string text = DecodedText(bytes);
    std::vector<std::string> hosts;
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        while (!line.empty() && IsSpace(line.front())) {
            line.remove_prefix(1);
        }
        while (!line.empty() && IsSpace(line.back())) {
            line.remove_suffix(1);
        }
        if (!line.empty()) {
            hosts.emplace_back(line);
        }
    }
    return hosts;
}

} // namespace Talvane::Nimlo
