#include "summary/CsvReport.h"

#include <algorithm>
#include <vector>

#include "requirements/RoleLabels.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

constexpr std::string_view Bom = "\xEF\xBB\xBF";
constexpr std::string_view LineEnd = "\r\n";

std::string Line(const std::vector<std::string>& fields)
{
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line += ',';
        }
        line += CsvField(fields[i]);
    }
    return line.append(LineEnd);
}

std::string Items(const std::vector<ReportItem>& items)
{
    std::string cell;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            cell += '\n';
        }
        if (items[i].checkbox) {
            cell += *items[i].checkbox ? "[x] " : "[ ] ";
        }
        std::string text = items[i].text;
        std::replace(text.begin(), text.end(), '\r', ' ');
        std::replace(text.begin(), text.end(), '\n', ' ');
        cell += text;
    }
    return cell;
}

} // namespace

std::string CsvField(std::string_view text)
{
    std::string field(text);
    if (!field.empty() && std::string_view("=+-@\t\r").find(field.front()) != std::string_view::npos) {
        field.insert(field.begin(), '\'');
    }
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        return field;
    }
    std::string quoted = "\"";
    for (const char c : field) {
        quoted.push_back(c);
        if (c == '"') {
            quoted.push_back('"');
        }
    }
    quoted.push_back('"');
    return quoted;
}

std::string CsvStart()
{
    return std::string(Bom) + Line({"computer", "report file", "role", "role verdict", "requirement", "status",
                                    "requirements", "system", "message"});
}

void WriteCsvLines(std::ostream& out, const ReportContent& content, std::string_view reportFile)
{
    for (const ReportRole& role : content.roles) {
        const char* verdict = role.meets ? "meets" : "does not meet";
        for (const ReportRow& row : role.rows) {
            out << Line({content.computerName, std::string(reportFile), role.title, verdict, row.hardware,
                         row.passed ? "PASS" : "FAIL", Items(row.requirements), Items(row.system), Items(row.message)});
        }
    }
}

void WriteMachinesCsv(std::ostream& out, const Fleet& fleet)
{
    std::vector<std::string> header{"computer", "report file"};
    for (const char16_t* title : RoleTitles) {
        header.push_back(ToUtf8(title));
        header.push_back(ToUtf8(title) + ": falls short of");
    }
    out << Bom << Line(header);
    std::vector<std::string> fields;
    for (const MachineRecord& machine : fleet.Machines()) {
        fields.assign({std::string(fleet.ComputerName(machine)), std::string(fleet.ReportFile(machine))});
        for (std::size_t role = 0; role < RoleCount; ++role) {
            std::string shortfalls;
            for (std::size_t row = 0; row < RowLabels(role).size(); ++row) {
                if ((machine.failed >> (FirstRequirement(role) + row)) & 1u) {
                    if (!shortfalls.empty()) {
                        shortfalls += '\n';
                    }
                    shortfalls += ToUtf8(RowLabels(role)[row]);
                }
            }
            fields.push_back(fleet.Meets(machine, role) ? "meets" : "does not meet");
            fields.push_back(std::move(shortfalls));
        }
        out << Line(fields);
    }
    for (const std::string& host : fleet.NotAssessed()) {
        fields.assign({host, ""});
        for (std::size_t role = 0; role < RoleCount; ++role) {
            fields.push_back("not assessed");
            fields.push_back("");
        }
        out << Line(fields);
    }
}

} // namespace Talvane::Nimlo
