// Fuzz target for the report: cell formatting, placeholder replacement,
// template filling and role rendering. The first byte selects the operation.
//
//   0  SplitItems / FormatCell  rest: one text
//   1  ReplaceAll               rest: placeholder, value, text (narrow bytes)
//   2  FillReport               rest: template choice, body, computer name, template
//   3  RenderRole               rest: title, then rows (passed flag and four texts)
//   4  FormatResultLine         rest: outcome, computer name, verdicts of the real rows, reason

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "app/ResultLine.h"
#include "report/CellFormat.h"
#include "report/ReportTemplate.h"
#include "report/RoleSection.h"
#include "requirements/RoleLabels.h"
#include "text/Utf8.h"

extern const std::string_view EmbeddedReportTemplate;

using namespace Talvane::Nimlo;
using namespace Talvane::Nimlo::Fuzzing;

namespace {

const std::vector<std::string> Placeholders = {"{{REPORT_BODY}}",      "{{COMPUTER_NAME}}", "{{OEM_NAME}}",
                                               "{{OEM_PRODUCT_NAME}}", "{{MAJOR_VERSION}}", "{{CHECKBOX_ON}}",
                                               "{{CHECKBOX_OFF}}"};

bool Contains(std::string_view text, std::string_view piece)
{
    return text.find(piece) != std::string_view::npos;
}

std::size_t Count(std::string_view text, std::string_view piece)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string_view::npos; at = text.find(piece, at + piece.size())) {
        ++count;
    }
    return count;
}

// ---------------------------------------------------------------- cells

// The "~"-ended items, found by walking the text unit by unit.
std::vector<std::u16string> ReferenceItems(const std::u16string& text)
{
    std::vector<std::u16string> items;
    std::u16string current;
    for (const char16_t unit : text) {
        if (unit == u'~') {
            items.push_back(current);
            current.clear();
        } else {
            current.push_back(unit);
        }
    }
    return items; // `current` is the unended rest, which is not an item
}

std::string ReferenceCell(const std::u16string& text)
{
    const std::vector<std::u16string> items = ReferenceItems(text);
    if (items.empty()) {
        return ToUtf8(text);
    }
    std::string cell;
    for (const std::u16string& item : items) {
        cell.append("<div class=list-div>").append(ToUtf8(item)).append("</div>\n");
    }
    return cell;
}

void FuzzCell(FuzzedDataProvider& data)
{
    const std::u16string text = Widen(data.ConsumeRemainingBytesAsString());
    const std::size_t tildes = static_cast<std::size_t>(std::count(text.begin(), text.end(), u'~'));

    if (tildes > 0) {
        const std::vector<std::u16string> items = SplitItems(text);
        FUZZ_CHECK(items == ReferenceItems(text), Show(text));
        FUZZ_CHECK(items.size() == tildes, Show(text));
        // Each item with its "~" put back gives the text up to its last "~".
        std::u16string joined;
        for (const std::u16string& item : items) {
            FUZZ_CHECK(item.find(u'~') == std::u16string::npos, Show(item));
            joined += item + u'~';
        }
        FUZZ_CHECK(joined == text.substr(0, text.rfind(u'~') + 1), Show(text));
    }

    const std::string cell = FormatCell(text);
    FUZZ_CHECK(IsValidUtf8(cell), Show(text) + " gave " + Show(cell));
    FUZZ_CHECK(cell == ReferenceCell(text), Show(text) + " gave " + Show(cell));
    if (tildes == 0) {
        FUZZ_CHECK(cell == ToUtf8(text), Show(text));
    } else {
        // One block per item, each on its own line.
        FUZZ_CHECK(Count(cell, "</div>\n") >= tildes && cell.back() == '\n', Show(cell));
    }
}

// ---------------------------------------------------------------- placeholders

// Replacement as a left-to-right scan of the original text: what ReplaceAll
// does when the value holds the placeholder (an inserted value is never
// searched again).
std::string ScanReplace(const std::string& text, const std::string& placeholder, const std::string& value)
{
    if (placeholder.empty()) {
        return text;
    }
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, placeholder.size(), placeholder) == 0) {
            out += value;
            i += placeholder.size();
        } else {
            out.push_back(text[i++]);
        }
    }
    return out;
}

// Replacement that searches from the first byte again after every
// replacement, so occurrences that a replacement brings together with the
// text around it are found too. Gives up (returns false) after `limit`
// replacements: such cascades need not end at all ("ab" by "baaa").
bool RestartReplace(std::string text, const std::string& placeholder, const std::string& value, std::string& out,
                    std::size_t limit)
{
    if (placeholder.empty()) {
        out = text;
        return true;
    }
    for (std::size_t done = 0;; ++done) {
        const std::size_t at = text.find(placeholder);
        if (at == std::string::npos) {
            out = text;
            return true;
        }
        if (done == limit) {
            return false;
        }
        text = text.substr(0, at) + value + text.substr(at + placeholder.size());
    }
}

// The replacement ReplaceAll has to give, or false when the reference does
// not tell. A value that holds the placeholder is inserted once and never
// searched again. Otherwise occurrences formed by a replacement are replaced
// as well; ReplaceAll bounds that work, but a cascade of no more
// replacements than the text has bytes has to be carried out in full.
bool ReferenceReplace(const std::string& text, const std::string& placeholder, const std::string& value,
                      std::string& out)
{
    if (!placeholder.empty() && Contains(value, placeholder)) {
        out = ScanReplace(text, placeholder, value);
        return true;
    }
    return RestartReplace(text, placeholder, value, out, text.size());
}

void FuzzReplaceAll(FuzzedDataProvider& data)
{
    const std::string placeholder = data.ConsumeRandomLengthString(24);
    const std::string value = data.ConsumeRandomLengthString(48);
    const std::string text = data.ConsumeRemainingBytesAsString();
    const std::string shown = "placeholder " + Show(placeholder) + ", value " + Show(value) + ", text " + Show(text);

    const std::string result = ReplaceAll(text, placeholder, value);

    if (placeholder.empty() || !Contains(text, placeholder)) {
        FUZZ_CHECK(result == text, shown);
    }
    std::string expected;
    if (ReferenceReplace(text, placeholder, value, expected)) {
        FUZZ_CHECK(result == expected, shown + " gave " + Show(result) + ", expected " + Show(expected));
        // So no occurrence is left unless the value itself brings it in.
        if (!placeholder.empty() && !Contains(value, placeholder)) {
            FUZZ_CHECK(!Contains(result, placeholder), shown + " left " + Show(result));
        }
    }
}

void FuzzFillReport(FuzzedDataProvider& data)
{
    const bool realTemplate = data.ConsumeBool();
    const std::string body = data.ConsumeRandomLengthString(400);
    const std::u16string computerName = ConsumeText(data, 40);
    const std::string reportTemplate =
        realTemplate ? std::string(EmbeddedReportTemplate) : data.ConsumeRemainingBytesAsString();
    const std::string shown = "body " + Show(body) + ", computer name " + Show(computerName) +
                              (realTemplate ? std::string(", real template") : ", template " + Show(reportTemplate));

    const std::string page = FillReport(reportTemplate, body, computerName);

    const std::vector<std::string> values = {body,
                                             ToUtf8(computerName),
                                             "Talvane",
                                             "Dravik",
                                             "17",
                                             "<input type=checkbox disabled=disabled checked=checked>",
                                             "<input type=checkbox disabled=disabled>"};
    std::string expected = reportTemplate;
    bool known = true;
    for (std::size_t i = 0; i < Placeholders.size() && known; ++i) {
        std::string next;
        known = ReferenceReplace(expected, Placeholders[i], values[i], next);
        expected = next;
    }
    if (known) {
        FUZZ_CHECK(page == expected, shown + " gave " + Show(page));
    }

    if (IsValidUtf8(reportTemplate) && IsValidUtf8(body)) {
        FUZZ_CHECK(IsValidUtf8(page), shown);
    }
    // With the real template and values free of braces, every placeholder
    // is gone and the body is in the page as it is.
    if (realTemplate && !Contains(body, "{") && !Contains(body, "}") &&
        computerName.find(u'{') == std::u16string::npos && computerName.find(u'}') == std::u16string::npos) {
        for (const std::string& placeholder : Placeholders) {
            FUZZ_CHECK(!Contains(page, placeholder), shown + " left " + placeholder);
        }
        FUZZ_CHECK(Contains(page, body), shown);
        FUZZ_CHECK(Contains(page, "<title>System Assessment Results for Dravik&copy; 17 by Talvane</title>"), shown);
    }
}

// ---------------------------------------------------------------- roles

RoleAssessment ConsumeRole(FuzzedDataProvider& data)
{
    std::u16string title = ConsumeText(data, 32);
    std::vector<RequirementResult> rows;
    const std::size_t count = data.ConsumeIntegralInRange<std::size_t>(0, 6);
    for (std::size_t i = 0; i < count; ++i) {
        const bool passed = data.ConsumeBool();
        std::u16string hardware = ConsumeText(data, 24);
        std::u16string requirements = ConsumeText(data, 48);
        std::u16string system = ConsumeText(data, 48);
        std::u16string message = ConsumeText(data, 48);
        rows.emplace_back(hardware, passed, requirements, system, message);
    }
    return RoleAssessment(title, rows);
}

std::string ReferenceRole(const RoleAssessment& role)
{
    const std::vector<RequirementResult> rows = role.Results();
    bool anyFailed = false;
    for (const RequirementResult& row : rows) {
        anyFailed = anyFailed || !row.passed;
    }
    std::ostringstream out;
    out << "<div class='container'>\n"
        << "<h2 class='header-text table-header'>" << ToUtf8(role.Title()) << ": <span class='"
        << (anyFailed ? "fail'>This system does not meet the requirements."
                      : "pass'>This system meets the requirements.")
        << "</span></h2>\n"
        << "<div class='result-table'><table>\n"
        << "<tr class=header-border><th class=text>Hardware</th><th class=text>Requirements</th>"
           "<th class=text>Status</th><th class=text>System</th><th class=text>Message</th></tr>\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const RequirementResult& row = rows[i];
        out << "<tr class='" << (i + 1 < rows.size() ? "bottom-border" : "") << "'>\n"
            << "<td class='text' width='150px'>" << ToUtf8(row.Hardware()) << "</td>\n"
            << "<td class='text' width='400px'>" << ReferenceCell(row.Requirements()) << "</td>\n"
            << "<td class='text " << (row.passed ? "pass' width='100px'>PASS" : "fail' width='100px'>FAIL") << "</td>\n"
            << "<td class='text row-header' width='150px'>" << ReferenceCell(row.System()) << "</td>\n"
            << "<td class='text'>" << ReferenceCell(row.Message()) << "</td>\n"
            << "</tr>\n";
    }
    out << "</table></div></div>\n";
    return out.str();
}

// Line feeds a cell shows of its text: all of a text without "~", none of
// what follows the last "~" otherwise.
std::size_t ShownLineFeeds(const std::u16string& text)
{
    const std::size_t lastTilde = text.rfind(u'~');
    const std::u16string shown = lastTilde == std::u16string::npos ? text : text.substr(0, lastTilde);
    return static_cast<std::size_t>(std::count(shown.begin(), shown.end(), u'\n'));
}

void FuzzRenderRole(FuzzedDataProvider& data)
{
    const RoleAssessment role = ConsumeRole(data);
    const std::vector<RequirementResult> rows = role.Results();
    const std::string html = RenderRole(role);
    const std::string shown =
        "title " + Show(role.Title()) + ", " + std::to_string(rows.size()) + " rows: " + Show(html);

    FUZZ_CHECK(IsValidUtf8(html), shown);
    FUZZ_CHECK(!html.empty() && html.back() == '\n', shown);
    FUZZ_CHECK(html == ReferenceRole(role), shown);

    // Line structure: five lines around the table, seven per row, one more
    // per item of each multi-line cell, plus the line feeds the texts show.
    const auto lineFeeds = [](const std::u16string& text) {
        return static_cast<std::size_t>(std::count(text.begin(), text.end(), u'\n'));
    };
    std::size_t lines = 5 + lineFeeds(role.Title());
    std::size_t passed = 0;
    bool textsHaveMarkup = role.Title().find(u'<') != std::u16string::npos;
    for (const RequirementResult& row : rows) {
        passed += row.passed ? 1 : 0;
        lines += 7 + lineFeeds(row.Hardware());
        for (const std::u16string& text : {row.Requirements(), row.System(), row.Message()}) {
            lines += ReferenceItems(text).size() + ShownLineFeeds(text);
        }
        for (const std::u16string& text : {row.Hardware(), row.Requirements(), row.System(), row.Message()}) {
            textsHaveMarkup = textsHaveMarkup || text.find(u'<') != std::u16string::npos;
        }
    }
    FUZZ_CHECK(static_cast<std::size_t>(std::count(html.begin(), html.end(), '\n')) == lines, shown);

    if (!textsHaveMarkup) {
        FUZZ_CHECK(Count(html, "<tr class='") == rows.size(), shown);
        FUZZ_CHECK(Count(html, "<tr class='bottom-border'>\n") == (rows.empty() ? 0 : rows.size() - 1), shown);
        FUZZ_CHECK(Count(html, "<td class='text pass' width='100px'>PASS</td>\n") == passed, shown);
        FUZZ_CHECK(Count(html, "<td class='text fail' width='100px'>FAIL</td>\n") == rows.size() - passed, shown);
        FUZZ_CHECK(Contains(html, "<span class='fail'>This system does not meet the requirements.</span></h2>\n") ==
                       (passed < rows.size()),
                   shown);
        FUZZ_CHECK(Count(html, "</tr>\n") == rows.size() + 1, shown); // the rows and the header row
    }
}

// ---------------------------------------------------------------- result line

// Whether `line` is one line of printable ASCII ending in CR LF, an object
// whose strings hold only JSON's escapes and whose brackets balance.
bool IsAsciiJsonLine(std::string_view line)
{
    if (line.size() < 4 || line.substr(line.size() - 2) != "\r\n") {
        return false;
    }
    line.remove_suffix(2);
    bool inString = false;
    int depth = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c < 0x20 || c > 0x7E) {
            return false;
        }
        if (inString && c == '\\') {
            const char escape = i + 1 < line.size() ? line[++i] : '\0';
            if (escape == 'u') {
                for (int k = 0; k < 4; ++k) {
                    if (++i >= line.size() || std::isxdigit(static_cast<unsigned char>(line[i])) == 0) {
                        return false;
                    }
                }
            } else if (escape == '\0' || std::string_view("\"\\/bfnrt").find(escape) == std::string_view::npos) {
                return false;
            }
        } else if (c == '"') {
            inString = !inString;
        } else if (!inString && (c == '{' || c == '[')) {
            ++depth;
        } else if (!inString && (c == '}' || c == ']') && --depth < 0) {
            return false;
        }
    }
    return !inString && depth == 0 && line.front() == '{' && line.back() == '}';
}

void FuzzResultLine(FuzzedDataProvider& data)
{
    RunResult result;
    result.outcome = static_cast<RunOutcome>(data.ConsumeIntegralInRange<int>(0, 2));
    if (data.ConsumeBool()) {
        result.computer = ConsumeText(data, data.ConsumeIntegralInRange<std::size_t>(0, 8000));
    }
    if (data.ConsumeBool()) {
        for (const Role role : AllRoles) {
            std::vector<RequirementResult> rows;
            for (const char16_t* label : RowLabels(role)) {
                rows.emplace_back(label, data.ConsumeBool(), u"", u"", u"");
            }
            result.roles.emplace_back(RoleTitle(role), rows);
        }
    }
    result.reason = data.ConsumeRandomLengthString(8000);
    const std::string line = FormatResultLine(result);
    const std::string shown = Show(line);

    FUZZ_CHECK(line.size() <= ResultLineLimit, shown);
    FUZZ_CHECK(IsAsciiJsonLine(line), shown);
    FUZZ_CHECK(line.starts_with("{\"computer\":\"") == result.computer.has_value(), shown);
    FUZZ_CHECK(Contains(line, "\"roles\":[") == !result.roles.empty(), shown);
    FUZZ_CHECK(Contains(line, "\"reason\":\"") == (result.outcome != RunOutcome::Assessed), shown);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    FuzzedDataProvider data(bytes + 1, size - 1);
    // The seeds begin with the operation's digit.
    switch (static_cast<unsigned char>(bytes[0] - '0') % 5) {
    case 0:
        FuzzCell(data);
        break;
    case 1:
        FuzzReplaceAll(data);
        break;
    case 2:
        FuzzFillReport(data);
        break;
    case 3:
        FuzzRenderRole(data);
        break;
    default:
        FuzzResultLine(data);
        break;
    }
    return 0;
}
