#include "report/ReportReader.h"

#include <algorithm>

#include "report/Markup.h"
#include "report/ReportTemplate.h"
#include "requirements/RoleLabels.h"
#include "text/HtmlText.h"
#include "text/ShownText.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

// Stand in for the computer name and the body while the template is filled,
// to find where they go; no template holds them.
constexpr std::string_view NameMark = "\x01\x02name\x02\x01";
constexpr std::string_view BodyMark = "\x01\x02body\x02\x01";

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
// The line a page may hold or not, once its line ends are LF; it goes right
// after the line that opens the head.
constexpr std::string_view CharsetLine = "    <meta charset=\"utf-8\">\n";
constexpr std::string_view HeadLine = "<head>\n";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Takes out every CR that ends a line, in place, so CR LF and LF read the same.
void ToLfLineEnds(std::string& text)
{
    std::size_t kept = text.find("\r\n");
    if (kept == std::string::npos) {
        return;
    }
    std::size_t from = kept + 1; // the LF stays
    for (std::size_t crlf = text.find("\r\n", from); crlf != std::string::npos; crlf = text.find("\r\n", from)) {
        std::char_traits<char>::move(text.data() + kept, text.data() + from, crlf - from);
        kept += crlf - from;
        from = crlf + 1;
    }
    std::char_traits<char>::move(text.data() + kept, text.data() + from, text.size() - from);
    text.resize(kept + text.size() - from);
}

std::string WithLfLineEnds(std::string_view text)
{
    std::string lf(text);
    ToLfLineEnds(lf);
    return lf;
}

void TrimBlanksAtEnd(std::string& text)
{
    std::size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) {
        --end;
    }
    text.resize(end);
}

// A short, printable excerpt: what does not print is escaped, so a byte
// order mark or a CR shows as what it is.
std::string Excerpt(std::string_view text)
{
    constexpr std::size_t Longest = 60;
    std::string excerpt;
    std::size_t count = 0;
    std::size_t i = 0;
    for (; i < text.size() && count < Longest; ++count) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (text.substr(i).starts_with(ByteOrderMark)) {
            excerpt += "\\uFEFF";
            i += ByteOrderMark.size();
        } else if (byte < 0x80) {
            AppendShown(excerpt, byte);
            ++i;
        } else {
            const std::size_t length = Utf8SequenceLength(text.substr(i));
            if (length == 0) {
                AppendHexEscape(excerpt, byte);
                ++i;
            } else {
                excerpt += text.substr(i, length);
                i += length;
            }
        }
    }
    return i < text.size() ? excerpt + "..." : excerpt;
}

std::size_t CommonPrefix(std::string_view a, std::string_view b)
{
    return static_cast<std::size_t>(
        std::mismatch(a.begin(), a.begin() + std::min(a.size(), b.size()), b.begin()).first - a.begin());
}

// A position in the page (byte order mark taken off, line ends LF), with what
// it expects next. The first difference is kept; after it, every step does
// nothing and the reading ends at its next check.
class Cursor {
public:
    Cursor(std::string_view text, bool hadByteOrderMark) : text_(text), hadByteOrderMark_(hadByteOrderMark) {}

    bool Failed() const { return !problem_.empty(); }
    const std::string& Problem() const { return problem_; }
    std::size_t Position() const { return at_; }
    bool AtEnd() const { return at_ == text_.size(); }
    bool LooksAt(std::string_view text) const { return !Failed() && Rest().starts_with(text); }
    std::size_t Matching(std::string_view text) const { return CommonPrefix(Rest(), text); }

    bool Expect(std::string_view text, std::string_view what)
    {
        if (Failed()) {
            return false;
        }
        if (!LooksAt(text)) {
            const std::size_t same = Matching(text);
            const std::string_view found = Rest().substr(same);
            std::string problem = "expected ";
            problem.append(what).append(" \"").append(Excerpt(text.substr(same))).append("\", found ");
            if (found.empty()) {
                problem.append("the end of the page (cut short?)");
            } else {
                problem.append("\"").append(Excerpt(found)).append("\"");
            }
            FailAt(at_ + same, problem);
            return false;
        }
        at_ += text.size();
        return true;
    }

    // Takes one of the two texts; true for the first.
    bool Either(std::string_view first, std::string_view second, std::string_view what)
    {
        if (LooksAt(first) || LooksAt(second)) {
            const bool isFirst = LooksAt(first);
            at_ += isFirst ? first.size() : second.size();
            return isFirst;
        }
        if (!Failed()) {
            FailAt(at_, "expected " + std::string(what) + " \"" + Excerpt(first) + "\" or \"" + Excerpt(second) +
                            "\", found \"" + Excerpt(Rest()) + "\"");
        }
        return false;
    }

    // Everything up to the next `end`, which is passed over.
    std::string_view Until(std::string_view end, std::string_view what)
    {
        if (Failed()) {
            return {};
        }
        const std::size_t found = Rest().find(end);
        if (found == std::string_view::npos) {
            FailAt(text_.size(),
                   "the end of " + std::string(what) + " \"" + Excerpt(end) + "\" is missing (cut short?)");
            return {};
        }
        const std::string_view text = Rest().substr(0, found);
        at_ += found + end.size();
        return text;
    }

    void FailAt(std::size_t at, const std::string& problem)
    {
        if (!Failed()) {
            problem_ = Where(at) + ": " + problem;
        }
    }

private:
    std::string_view Rest() const { return text_.substr(at_); }

    // The line and column (in characters) of `at` in the page as it was given.
    std::string Where(std::size_t at) const
    {
        const std::string_view before = text_.substr(0, at);
        const std::size_t lineStart = before.rfind('\n') == std::string_view::npos ? 0 : before.rfind('\n') + 1;
        const auto line = 1 + std::count(before.begin(), before.end(), '\n');
        auto column = 1 + std::count_if(before.begin() + static_cast<std::ptrdiff_t>(lineStart), before.end(),
                                        [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
        if (line == 1 && hadByteOrderMark_) {
            ++column;
        }
        return "line " + std::to_string(line) + ", column " + std::to_string(column);
    }

    std::string_view text_;
    bool hadByteOrderMark_;
    std::size_t at_ = 0;
    std::string problem_;
};

ReportItem ReadItem(std::string_view text)
{
    if (text.starts_with(Markup::CheckboxOn)) {
        return {DecodeEntities(text.substr(Markup::CheckboxOn.size())), true};
    }
    if (text.starts_with(Markup::CheckboxOff)) {
        return {DecodeEntities(text.substr(Markup::CheckboxOff.size())), false};
    }
    return {DecodeEntities(text), std::nullopt};
}

// A cell's content as its items: blocks when it is made of nothing else.
std::vector<ReportItem> ReadItems(std::string_view cell)
{
    std::vector<std::string_view> blocks;
    std::string_view rest = cell;
    while (rest.starts_with(Markup::ItemStart)) {
        const std::size_t end = rest.find(Markup::ItemEnd, Markup::ItemStart.size());
        if (end == std::string_view::npos) {
            break; // a block that does not end: the cell is no list
        }
        blocks.push_back(rest.substr(Markup::ItemStart.size(), end - Markup::ItemStart.size()));
        rest.remove_prefix(end + Markup::ItemEnd.size());
    }
    if (blocks.empty() || !rest.empty()) {
        return {ReadItem(cell)};
    }
    std::vector<ReportItem> items;
    items.reserve(blocks.size());
    std::transform(blocks.begin(), blocks.end(), std::back_inserter(items), ReadItem);
    return items;
}

// Row `index` of `count`; every row but the last has the bottom border.
ReportRow ReadRow(Cursor& page, const std::string& role, std::size_t index, std::size_t count, std::string_view label)
{
    const std::string place =
        "row " + std::to_string(index + 1) + " of " + std::to_string(count) + " of \"" + role + "\"";
    page.Expect(Markup::RowStart, "a row (" + place + ")");
    if (index + 1 < count) {
        page.Expect(Markup::BorderedRowClass, "the border of " + place);
    }
    page.Expect(Markup::RowClassEnd, "the end of the class of " + place);

    ReportRow row;
    page.Expect(Markup::HardwareCellStart, "the hardware cell");
    const std::size_t labelAt = page.Position();
    row.hardware = DecodeEntities(page.Until(Markup::CellEnd, "the hardware cell"));
    if (!page.Failed() && row.hardware != label) {
        page.FailAt(labelAt, place + " is \"" + Excerpt(row.hardware) + "\", not \"" + std::string(label) + "\"");
    }
    page.Expect(Markup::RequirementsCellStart, "the requirements cell");
    row.requirements = ReadItems(page.Until(Markup::CellEnd, "the requirements cell"));
    page.Expect(Markup::StatusCellStart, "the status cell");
    row.passed = page.Either(Markup::PassClass, Markup::FailClass, "the status class");
    page.Expect(Markup::StatusClassEnd, "the status cell");
    page.Expect(row.passed ? Markup::PassLabel : Markup::FailLabel, "the status matching its class");
    page.Expect(Markup::CellEnd, "the end of the status cell");
    page.Expect(Markup::SystemCellStart, "the system cell");
    row.system = ReadItems(page.Until(Markup::CellEnd, "the system cell"));
    page.Expect(Markup::MessageCellStart, "the message cell");
    row.message = ReadItems(page.Until(Markup::CellEnd, "the message cell"));
    page.Expect(Markup::RowEnd, "the end of the row");
    return row;
}

ReportRole ReadRole(Cursor& page, Role expected)
{
    ReportRole role;
    page.Expect(Markup::SectionStart, "a role section");
    page.Expect(Markup::HeadingStart, "the role's heading");
    const std::size_t titleAt = page.Position();
    role.title = DecodeEntities(page.Until(Markup::VerdictStart, "the role's title"));
    const std::string expectedTitle = ToUtf8(RoleTitle(expected));
    if (!page.Failed() && role.title != expectedTitle) {
        page.FailAt(titleAt, "section " + std::to_string(RoleIndex(expected) + 1) + " is \"" + Excerpt(role.title) +
                                 "\", not \"" + expectedTitle + "\"");
    }
    role.meets = page.Either(Markup::PassClass, Markup::FailClass, "the verdict's class");
    page.Expect(Markup::VerdictClassEnd, "the verdict");
    page.Expect(role.meets ? Markup::MeetsSentence : Markup::FallsShortSentence, "the verdict matching its class");
    page.Expect(Markup::HeadingEnd, "the end of the heading");
    page.Expect(Markup::TableStart, "the table");
    page.Expect(Markup::HeaderRow, "the table's header row");

    const auto labels = RowLabels(expected);
    for (std::size_t i = 0; i < labels.size() && !page.Failed(); ++i) {
        role.rows.push_back(ReadRow(page, expectedTitle, i, labels.size(), ToUtf8(labels[i])));
    }
    const std::size_t endAt = page.Position();
    page.Expect(Markup::SectionEnd, "the end of the section after its " + std::to_string(labels.size()) + " rows");

    const bool allPassed =
        std::all_of(role.rows.begin(), role.rows.end(), [](const ReportRow& row) { return row.passed; });
    if (!page.Failed() && allPassed != role.meets) {
        page.FailAt(endAt, "the verdict of \"" + expectedTitle + "\" does not agree with its rows");
    }
    return role;
}

} // namespace

Result<ReportReader> ReportReader::ForTemplate(std::string_view reportTemplate)
{
    const std::u16string name(NameMark.begin(), NameMark.end());
    const std::string skeleton = FillReport(std::string(reportTemplate), std::string(BodyMark), name);
    const std::size_t namePos = skeleton.find(NameMark);
    const std::size_t bodyPos = skeleton.find(BodyMark);
    if (namePos == std::string::npos || bodyPos == std::string::npos || bodyPos < namePos) {
        return Failure("the report template has no place for the computer name before the body");
    }
    ReportReader reader;
    std::string_view head = std::string_view(skeleton).substr(0, namePos);
    if (head.starts_with(ByteOrderMark)) {
        head.remove_prefix(ByteOrderMark.size());
    }
    reader.head_ = WithLfLineEnds(head);
    if (const std::size_t charset = reader.head_.find(CharsetLine); charset != std::string::npos) {
        reader.head_.erase(charset, CharsetLine.size());
    }
    reader.headMeta_ = reader.head_;
    if (const std::size_t headLine = reader.head_.find(HeadLine); headLine != std::string::npos) {
        reader.headMeta_.insert(headLine + HeadLine.size(), CharsetLine);
    }
    reader.afterName_ = WithLfLineEnds(skeleton.substr(namePos + NameMark.size(), bodyPos - namePos - NameMark.size()));
    reader.tail_ = WithLfLineEnds(skeleton.substr(bodyPos + BodyMark.size()));
    TrimBlanksAtEnd(reader.tail_);
    return reader;
}

Result<ReportContent> ReportReader::Read(std::string_view page) const
{
    return Read(std::string(page));
}

Result<ReportContent> ReportReader::Read(std::string text) const
{
    const bool hadByteOrderMark = std::string_view(text).starts_with(ByteOrderMark);
    if (hadByteOrderMark) {
        text.erase(0, ByteOrderMark.size());
    }
    ToLfLineEnds(text);
    TrimBlanksAtEnd(text);

    Cursor cursor(text, hadByteOrderMark);
    if (cursor.LooksAt(headMeta_)) {
        cursor.Expect(headMeta_, "the head of a System Assessment report");
    } else {
        // The message names the difference from the nearer of the two.
        const bool nearerMeta = cursor.Matching(headMeta_) > cursor.Matching(head_);
        cursor.Expect(nearerMeta ? headMeta_ : head_, "the head of a System Assessment report");
    }
    ReportContent content;
    content.computerName = DecodeEntities(cursor.Until(afterName_, "the page header"));
    for (const Role role : AllRoles) {
        if (cursor.Failed()) {
            break;
        }
        content.roles.push_back(ReadRole(cursor, role));
    }
    if (cursor.LooksAt(Markup::SectionStart)) {
        cursor.FailAt(cursor.Position(), "a fourth role section");
    }
    cursor.Expect(tail_, "the end of the report after its third role section");
    if (!cursor.Failed() && !cursor.AtEnd()) {
        cursor.FailAt(cursor.Position(), "the page goes on after its end: \"" +
                                             Excerpt(std::string_view(text).substr(cursor.Position())) + "\"");
    }
    if (cursor.Failed()) {
        return Failure(cursor.Problem());
    }
    return content;
}

} // namespace Talvane::Nimlo
