#include "summary/Csv.h"

#include <algorithm>
#include <vector>

#include "requirements/RoleLabels.h"
#include "text/ShownText.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

constexpr std::string_view Bom = "\xEF\xBB\xBF";
constexpr std::string_view LineEnd = "\r\n";

bool NeedsQuotes(std::string_view text)
{
    return std::ranges::any_of(text, [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; });
}

// Appends one field, quoted where RFC 4180 needs it, with the formula guard.
void AppendField(std::string& line, std::string_view text)
{
    const bool formula = !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
    if (!NeedsQuotes(text)) {
        if (formula) {
            line += '\'';
        }
        line.append(text);
        return;
    }
    line += '"';
    if (formula) {
        line += '\'';
    }
    for (const char c : text) {
        line += c;
        if (c == '"') {
            line += '"';
        }
    }
    line += '"';
}

void AppendLine(std::string& out, const std::vector<std::string>& fields)
{
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        AppendField(out, fields[i]);
    }
    out.append(LineEnd);
}

// A cell's items, one a line; a line break inside an item becomes a space.
void ItemsInto(std::string& cell, const std::vector<ReportItem>& items)
{
    cell.clear();
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            cell += '\n';
        }
        if (items[i].checkbox) {
            cell += *items[i].checkbox ? "[x] " : "[ ] ";
        }
        const std::size_t start = cell.size();
        cell += items[i].text;
        for (std::size_t at = start; at < cell.size(); ++at) {
            if (cell[at] == '\r' || cell[at] == '\n') {
                cell[at] = ' ';
            }
        }
    }
}

} // namespace

std::string CsvField(std::string_view text)
{
    std::string field;
    AppendField(field, text);
    return field;
}

std::string CsvStart()
{
    std::string start(Bom);
    AppendLine(start, {"computer", "report file", "role", "role verdict", "requirement", "status", "requirements",
                       "system", "message"});
    return start;
}

void WriteCsvLines(std::ostream& out, const ReportContent& content, std::string_view reportFile)
{
    // What every line of the report begins with, quoted once.
    std::string machine;
    AppendField(machine, NulEscaped(content.computerName));
    machine += ',';
    AppendField(machine, reportFile);
    machine += ',';

    // One line at a time: a page's texts may be long, and the computer name
    // stands in every line.
    std::string line;
    std::string cell;
    for (const ReportRole& role : content.roles) {
        std::string start = machine;
        AppendField(start, role.title);
        start += role.meets ? ",meets," : ",does not meet,";
        for (const ReportRow& row : role.rows) {
            line = start;
            AppendField(line, row.hardware);
            line += row.passed ? ",PASS," : ",FAIL,";
            for (const std::vector<ReportItem>* items : {&row.requirements, &row.system, &row.message}) {
                ItemsInto(cell, *items);
                AppendField(line, cell);
                line += items == &row.message ? LineEnd : ",";
            }
            out.write(line.data(), static_cast<std::streamsize>(line.size()));
        }
    }
}

void WriteMachinesCsv(std::ostream& out, const FinishedFleet& fleet)
{
    std::vector<std::string> header{"computer", "report file"};
    for (const char16_t* title : RoleTitles) {
        header.push_back(ToUtf8(title));
        header.push_back(ToUtf8(title) + ": falls short of");
    }
    header.emplace_back("reason not assessed");
    std::string line(Bom);
    AppendLine(line, header);
    out << line;
    std::vector<std::string> fields;
    for (const ReportRecord& machine : fleet.Reports()) {
        fields.assign({NulEscaped(fleet.ComputerName(machine)), fleet.ReportFile(machine)});
        for (const Role role : AllRoles) {
            std::string shortfalls;
            for (const std::size_t row : machine.failed.Of(role)) {
                if (!shortfalls.empty()) {
                    shortfalls += '\n';
                }
                shortfalls += ToUtf8(RowLabels(role)[row]);
            }
            fields.emplace_back(machine.failed.Meets(role) ? "meets" : "does not meet");
            fields.push_back(std::move(shortfalls));
        }
        fields.emplace_back();
        line.clear();
        AppendLine(line, fields);
        out << line;
    }
    for (const NotAssessedHost& host : fleet.NotAssessed()) {
        fields.assign({NulEscaped(host.name), ""});
        for (std::size_t role = 0; role < RoleCount; ++role) {
            fields.emplace_back("not assessed");
            fields.emplace_back();
        }
        fields.push_back(NoteReason(host.kind, host.detail));
        line.clear();
        AppendLine(line, fields);
        out << line;
    }
}

} // namespace Talvane::Nimlo
