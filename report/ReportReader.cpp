#include "report/ReportReader.h"

#include <algorithm>

#include "report/Markup.h"
#include "report/ReportTemplate.h"
#include "requirements/RoleBuilders.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

// Stand in for the computer name and the body while the template is filled,
// to find where they go; no template holds them.
constexpr std::string_view NameMark = "\x01\x02name\x02\x01";
constexpr std::string_view BodyMark = "\x01\x02body\x02\x01";

// Thrown inside the reader only: the first thing that did not match.
struct Mismatch {
    std::string problem;
};

// A position in the page, with what it expects next.
class Cursor {
public:
    Cursor(std::string_view page, std::size_t at, std::size_t end) : page_(page), at_(at), end_(end) {}

    bool AtEnd() const { return at_ == end_; }
    bool LooksAt(std::string_view text) const { return Rest().substr(0, text.size()) == text; }

    void Expect(std::string_view text, std::string_view what)
    {
        if (!LooksAt(text)) {
            Fail("expected " + std::string(what) + " \"" + Shown(text) + "\", found \"" + Shown(Rest()) + "\"");
        }
        at_ += text.size();
    }

    // Takes one of the two texts; true for the first.
    bool Either(std::string_view first, std::string_view second, std::string_view what)
    {
        if (LooksAt(first) || LooksAt(second)) {
            const bool isFirst = LooksAt(first);
            at_ += isFirst ? first.size() : second.size();
            return isFirst;
        }
        Fail("expected " + std::string(what) + " \"" + Shown(first) + "\" or \"" + Shown(second) + "\", found \"" +
             Shown(Rest()) + "\"");
    }

    // Everything up to the next `end`, which is passed over.
    std::string_view Until(std::string_view end, std::string_view what)
    {
        const std::size_t found = Rest().find(end);
        if (found == std::string_view::npos) {
            Fail("the end of " + std::string(what) + " \"" + Shown(end) + "\" is missing (cut short?)");
        }
        const std::string_view text = Rest().substr(0, found);
        at_ += found + end.size();
        return text;
    }

    [[noreturn]] void Fail(const std::string& problem) const
    {
        const auto line = 1 + std::count(page_.begin(), page_.begin() + static_cast<std::ptrdiff_t>(at_), '\n');
        throw Mismatch{"line " + std::to_string(line) + ": " + problem};
    }

private:
    std::string_view Rest() const { return page_.substr(at_, end_ - at_); }

    // A short, printable excerpt.
    static std::string Shown(std::string_view text)
    {
        std::string shown;
        for (const char c : text.substr(0, 60)) {
            if (c == '\n') {
                shown += "\\n";
            } else if (c == '\r') {
                shown += "\\r";
            } else if (static_cast<unsigned char>(c) < 0x20) {
                shown += '?';
            } else {
                shown += c;
            }
        }
        return text.size() > 60 ? shown + "..." : shown;
    }

    std::string_view page_;
    std::size_t at_;
    std::size_t end_;
};

ReportItem ReadItem(std::string_view text)
{
    if (text.starts_with(Markup::CheckboxOn)) {
        return {std::string(text.substr(Markup::CheckboxOn.size())), true};
    }
    if (text.starts_with(Markup::CheckboxOff)) {
        return {std::string(text.substr(Markup::CheckboxOff.size())), false};
    }
    return {std::string(text), std::nullopt};
}

// A cell's content as its items: blocks when it is made of nothing else.
std::vector<ReportItem> ReadItems(std::string_view cell)
{
    std::vector<ReportItem> items;
    std::string_view rest = cell;
    while (rest.starts_with(Markup::ItemStart)) {
        const std::size_t end = rest.find(Markup::ItemEnd, Markup::ItemStart.size());
        if (end == std::string_view::npos) {
            break; // a block that does not end: the cell is no list
        }
        items.push_back(ReadItem(rest.substr(Markup::ItemStart.size(), end - Markup::ItemStart.size())));
        rest.remove_prefix(end + Markup::ItemEnd.size());
    }
    if (items.empty() || !rest.empty()) {
        return {ReadItem(cell)};
    }
    return items;
}

// The row's start; true when it is the last row (it has no bottom border).
bool ReadRowStart(Cursor& page)
{
    page.Expect(Markup::RowStart, "a row");
    const bool bordered = page.LooksAt(Markup::BorderedRowClass);
    if (bordered) {
        page.Expect(Markup::BorderedRowClass, "the row's border");
    }
    page.Expect(Markup::RowClassEnd, "the end of the row's class");
    return !bordered;
}

ReportRow ReadRow(Cursor& page)
{
    ReportRow row;
    page.Expect(Markup::HardwareCellStart, "the hardware cell");
    row.hardware = std::string(page.Until(Markup::CellEnd, "the hardware cell"));
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

ReportRole ReadRole(Cursor& page, std::size_t index)
{
    ReportRole role;
    page.Expect(Markup::SectionStart, "a role section");
    page.Expect(Markup::HeadingStart, "the role's heading");
    role.title = std::string(page.Until(Markup::VerdictStart, "the role's title"));
    const std::string expectedTitle = ToUtf8(RoleTitles[index]);
    if (role.title != expectedTitle) {
        page.Fail("section " + std::to_string(index + 1) + " is \"" + role.title + "\", not \"" + expectedTitle + "\"");
    }
    role.meets = page.Either(Markup::PassClass, Markup::FailClass, "the verdict's class");
    page.Expect(Markup::VerdictClassEnd, "the verdict");
    page.Expect(role.meets ? Markup::MeetsSentence : Markup::FallsShortSentence, "the verdict matching its class");
    page.Expect(Markup::HeadingEnd, "the end of the heading");
    page.Expect(Markup::TableStart, "the table");
    page.Expect(Markup::HeaderRow, "the table's header row");
    for (bool last = page.LooksAt(Markup::SectionEnd); !last;) {
        last = ReadRowStart(page);
        role.rows.push_back(ReadRow(page));
    }
    page.Expect(Markup::SectionEnd, "the end of the section");

    const bool allPassed =
        std::all_of(role.rows.begin(), role.rows.end(), [](const ReportRow& row) { return row.passed; });
    if (allPassed != role.meets) {
        page.Fail("the verdict of \"" + role.title + "\" does not agree with its rows");
    }
    return role;
}

} // namespace

ReportReader::ReportReader(std::string_view reportTemplate)
{
    const std::u16string name(NameMark.begin(), NameMark.end());
    const std::string skeleton = FillReport(std::string(reportTemplate), std::string(BodyMark), name);
    const std::size_t namePos = skeleton.find(NameMark);
    const std::size_t bodyPos = skeleton.find(BodyMark);
    if (namePos == std::string::npos || bodyPos == std::string::npos || bodyPos < namePos) {
        problem_ = "the report template has no place for the computer name before the body";
        return;
    }
    head_ = skeleton.substr(0, namePos);
    afterName_ = skeleton.substr(namePos + NameMark.size(), bodyPos - namePos - NameMark.size());
    tail_ = skeleton.substr(bodyPos + BodyMark.size());
}

ReportReading ReportReader::Read(std::string_view page) const
{
    if (!problem_.empty()) {
        return {std::nullopt, problem_};
    }
    try {
        Cursor header(page, 0, page.size());
        header.Expect(head_, "the head of a System Assessment report");
        ReportContent content;
        content.computerName = std::string(header.Until(afterName_, "the page header"));

        const std::size_t bodyStart = head_.size() + content.computerName.size() + afterName_.size();
        if (page.size() < bodyStart + tail_.size() || !page.ends_with(tail_)) {
            Cursor(page, page.size(), page.size())
                .Fail("the page does not end with the report's footnote (cut short?)");
        }
        Cursor body(page, bodyStart, page.size() - tail_.size());
        for (std::size_t i = 0; i < RoleCount; ++i) {
            content.roles.push_back(ReadRole(body, i));
        }
        if (!body.AtEnd()) {
            body.Fail(body.LooksAt(Markup::SectionStart) ? "a fourth role section"
                                                         : "the body goes on after the third role section");
        }
        return {std::move(content), {}};
    } catch (const Mismatch& mismatch) {
        return {std::nullopt, mismatch.problem};
    }
}

} // namespace Talvane::Nimlo
