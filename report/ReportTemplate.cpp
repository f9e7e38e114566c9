#include "report/ReportTemplate.h"

#include <algorithm>
#include <string_view>

#include "report/Markup.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

// A cascade that ends can take about as many replacements as the square of
// the length ("ab" by "ba" moves every "b" before every "a"); beyond a fixed
// ceiling the values are taken to be built to go on for ever.
constexpr std::size_t MaxFormedReplacements = std::size_t{1} << 16;

std::size_t FormedReplacementBudget(std::size_t textSize, std::size_t valueSize)
{
    const std::size_t length = textSize + valueSize + 1;
    return length < 256 ? length * length : MaxFormedReplacements;
}

// The replacement loop for texts in which a replacement forms a new
// occurrence: after each replacement the search goes on from the first place
// where the inserted value could have completed a placeholder with the text
// before it. While `budget` lasts, that is; then every inserted value is
// stepped over, so the loop always ends. Each replacement moves the rest of
// the text, which is why only cascades take this path.
std::string ReplaceCascading(std::string text, const std::string& placeholder, const std::string& value,
                             std::size_t from, std::size_t budget)
{
    for (std::size_t pos = text.find(placeholder, from); pos != std::string::npos;) {
        text.replace(pos, placeholder.size(), value);
        from = pos + value.size();
        if (budget > 0) {
            --budget;
            from = pos >= placeholder.size() - 1 ? pos - (placeholder.size() - 1) : 0;
        }
        pos = text.find(placeholder, from);
    }
    return text;
}

// The text as it stands halfway through the one-pass replacement: what was
// built so far, followed by the rest of the original text.
class JoinedText {
public:
    JoinedText(std::string_view built, std::string_view rest) : built_(built), rest_(rest) {}

    std::size_t size() const { return built_.size() + rest_.size(); }

    // Appends [from, to) to `out`.
    void CopyTo(std::string& out, std::size_t from, std::size_t to) const
    {
        to = std::min(to, size());
        if (from < built_.size()) {
            out.append(built_, from, std::min(to, built_.size()) - from);
            from = built_.size();
        }
        if (from < to) {
            out.append(rest_, from - built_.size(), to - from);
        }
    }

private:
    std::string_view built_;
    std::string_view rest_;
};

// Whether an occurrence of the placeholder crosses an edge of the value that
// ends at `valueEnd` in `text` (the value itself holds none). Such an
// occurrence starts less than a placeholder's length before an edge and ends
// less than that after it, so a window of twice that length round each edge
// is all that has to be searched: the work does not depend on the value.
bool FormsOccurrence(const JoinedText& text, std::size_t valueEnd, std::size_t valueSize,
                     const std::string& placeholder, std::string& window)
{
    const std::size_t reach = placeholder.size() - 1;
    for (const std::size_t edge : {valueEnd - valueSize, valueEnd}) {
        window.clear();
        text.CopyTo(window, edge >= reach ? edge - reach : 0, edge + reach);
        if (window.find(placeholder) != std::string::npos) {
            return true;
        }
    }
    return false;
}

} // namespace

std::string ReplaceAll(std::string text, const std::string& placeholder, const std::string& value)
{
    if (placeholder.empty()) {
        return text;
    }
    std::size_t pos = text.find(placeholder);
    if (pos == std::string::npos) {
        return text;
    }
    // A value that holds the placeholder is inserted as it is and never
    // searched again; otherwise occurrences that a replacement forms with the
    // text around it are replaced too (within a budget, see ReplaceCascading).
    // Forming one is rare: the result is built in one pass, and only once a
    // replacement has formed an occurrence does the cascade loop take over, at
    // the point where it would have found it.
    const bool valueHoldsPlaceholder = value.find(placeholder) != std::string::npos;
    std::size_t budget = valueHoldsPlaceholder ? 0 : FormedReplacementBudget(text.size(), value.size());
    std::string built;
    built.reserve(text.size());
    std::string window;
    std::size_t rest = 0;
    for (; pos != std::string::npos; pos = text.find(placeholder, rest)) {
        built.append(text, rest, pos - rest);
        const std::size_t valueStart = built.size();
        built.append(value);
        rest = pos + placeholder.size();
        if (budget > 0) {
            --budget;
            const JoinedText joined(built, std::string_view(text).substr(rest));
            if (FormsOccurrence(joined, built.size(), value.size(), placeholder, window)) {
                built.append(text, rest);
                const std::size_t from =
                    valueStart >= placeholder.size() - 1 ? valueStart - (placeholder.size() - 1) : 0;
                return ReplaceCascading(std::move(built), placeholder, value, from, budget);
            }
        }
    }
    built.append(text, rest);
    return built;
}

std::string FillReport(const std::string& reportTemplate, const std::string& reportBody,
                       const std::u16string& computerName)
{
    std::string page = ReplaceAll(reportTemplate, std::string(Markup::ReportBodyPlaceholder), reportBody);
    page = ReplaceAll(std::move(page), std::string(Markup::ComputerNamePlaceholder), ToUtf8(computerName));
    page = ReplaceAll(std::move(page), std::string(Markup::OemNamePlaceholder), ToUtf8(OemName));
    page = ReplaceAll(std::move(page), std::string(Markup::OemProductNamePlaceholder), ToUtf8(OemProductName));
    page = ReplaceAll(std::move(page), std::string(Markup::MajorVersionPlaceholder), ToUtf8(MajorVersion));
    page = ReplaceAll(std::move(page), std::string(Markup::CheckboxOnPlaceholder), std::string(Markup::CheckboxOn));
    page = ReplaceAll(std::move(page), std::string(Markup::CheckboxOffPlaceholder), std::string(Markup::CheckboxOff));
    return page;
}

} // namespace Talvane::Nimlo
