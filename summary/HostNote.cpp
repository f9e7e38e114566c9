#include "summary/HostNote.h"

#include "text/AsciiCase.h"

#include "summary/HostList.h"
#include "summary/ReportFiles.h"

namespace Talvane::Nimlo {
namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
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

HostNote ParseNote(std::string_view bytes)
{
    const std::string text = DecodedText(bytes);
    const std::string_view line = Trimmed(std::string_view(text).substr(0, text.find_first_of("\r\n")));
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
            return {static_cast<NoteKind>(kind), std::string(Trimmed(std::string_view(shown).substr(name.size() + 1)))};
        }
    }
    return {NoteKind::Other, std::move(shown)};
}

bool IsNoteName(const std::filesystem::path& name)
{
    const std::string text = PathToUtf8(name.filename());
    return text.size() > NoteSuffix.size() && EndsWithNoteSuffix(text);
}

std::string_view NoteHost(std::string_view noteFile)
{
    const std::size_t slash = noteFile.find_last_of("/\\");
    const std::string_view name = slash == std::string_view::npos ? noteFile : noteFile.substr(slash + 1);
    return EndsWithNoteSuffix(name) ? name.substr(0, name.size() - NoteSuffix.size()) : name;
}

std::string NoteReason(NoteKind kind, std::string_view detail)
{
    std::string reason(NoteKindName(kind));
    if (!detail.empty()) {
        reason.append(": ").append(detail);
    }
    return reason;
}

} // namespace Talvane::Nimlo
