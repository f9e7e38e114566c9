#include "summary/HostFiles.h"

#include <algorithm>

#include "summary/Paths.h"
#include "text/AsciiCase.h"
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

// The text of a file a Windows or Linux tool wrote, as valid UTF-8: UTF-8
// with or without a byte order mark, or UTF-16 with one. Bytes that are no
// UTF-8 become U+FFFD.
std::string DecodedText(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        return FromUtf16(bytes.substr(2), bytes.starts_with("\xFE\xFF"));
    }
    return ValidUtf8(bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes);
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text, bool (*isSpace)(char))
{
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The last part of a path, either separator.
std::string_view FileName(std::string_view path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Whether `name` ends in ".not-assessed.txt", letters without case.
bool EndsWithNoteSuffix(std::string_view name)
{
    if (name.size() < NoteSuffix.size()) {
        return false;
    }
    return EqualsIgnoringAsciiCase(name.substr(name.size() - NoteSuffix.size()), NoteSuffix);
}

} // namespace

bool IsPageName(const std::filesystem::path& name)
{
    const std::string extension = PathToUtf8(name.extension());
    return EqualsIgnoringAsciiCase(extension, ".html") || EqualsIgnoringAsciiCase(extension, ".htm");
}

std::string_view ReportName(std::string_view reportFile)
{
    const std::string_view name = FileName(reportFile);
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
}

bool IsNoteName(const std::filesystem::path& name)
{
    const std::string text = PathToUtf8(name.filename());
    return text.size() > NoteSuffix.size() && EndsWithNoteSuffix(text);
}

std::string_view NoteHost(std::string_view noteFile)
{
    const std::string_view name = FileName(noteFile);
    return EndsWithNoteSuffix(name) ? name.substr(0, name.size() - NoteSuffix.size()) : name;
}

int CompareHostNames(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(AsciiUpper(a[i]));
        const auto y = static_cast<unsigned char>(AsciiUpper(b[i]));
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

HostNote ParseNote(std::string_view bytes)
{
    const std::string text = DecodedText(bytes);
    const std::string_view line = Trimmed(std::string_view(text).substr(0, text.find_first_of("\r\n")), IsBlank);
    // A control character would break the line it is shown on, and a NUL the fleet's texts.
    std::string shown;
    shown.reserve(line.size());
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t') || byte == 0x7F) {
            shown += "\xEF\xBF\xBD";
        } else {
            shown += c;
        }
    }
    for (std::size_t kind = 0; kind < static_cast<std::size_t>(NoteKind::Other); ++kind) {
        const std::string_view name = NoteKindNames[kind];
        if (shown.starts_with(name) && shown.size() > name.size() && shown[name.size()] == ':') {
            return {static_cast<NoteKind>(kind),
                    std::string(Trimmed(std::string_view(shown).substr(name.size() + 1), IsBlank))};
        }
    }
    return {NoteKind::Other, std::move(shown)};
}

std::string NoteReason(NoteKind kind, std::string_view detail)
{
    std::string reason(NoteKindName(kind));
    if (!detail.empty()) {
        reason.append(": ").append(detail);
    }
    return reason;
}

std::vector<std::string> ParseHostList(std::string_view bytes)
{
    const std::string text = DecodedText(bytes);
    std::vector<std::string> hosts;
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = Trimmed(rest.substr(0, end), IsSpace);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty()) {
            hosts.emplace_back(line);
        }
    }
    return hosts;
}

} // namespace Talvane::Nimlo
