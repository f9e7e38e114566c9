// The report reader on any bytes: whole report pages (the seeds are the
// golden pages) changed in every way the fuzzer finds, and bytes that are no
// page at all.
//
// Properties: it never crashes or hangs; it either rejects the bytes with a
// problem that names a line and a column, or gives three roles with the
// report's titles in order, each with the rows of its labels, each verdict
// agreeing with its rows and every row whole (each cell read, no item empty
// of its check box flag where the page had one); a page it accepts stays
// accepted, with the same content, when it is read again; and what carries
// no meaning changes nothing: a byte order mark put in front, CR LF for LF,
// white space after the end, and (on a page it accepts) no charset line.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "report/ReportReader.h"
#include "requirements/RoleLabels.h"
#include "text/Utf8.h"

extern const std::string_view EmbeddedReportTemplate;

namespace {

using namespace Talvane::Nimlo;
using Fuzzing::Show;

void CheckContent(const ReportContent& content, std::string_view page)
{
    FUZZ_CHECK(content.roles.size() == 3, Show(page.substr(0, 200)));
    for (const Role expected : AllRoles) {
        if (RoleIndex(expected) >= content.roles.size()) {
            break;
        }
        const ReportRole& role = content.roles[RoleIndex(expected)];
        const auto labels = RowLabels(expected);
        FUZZ_CHECK(role.title == ToUtf8(RoleTitle(expected)), role.title);
        FUZZ_CHECK(role.rows.size() == labels.size(), role.title);
        for (std::size_t row = 0; row < role.rows.size() && row < labels.size(); ++row) {
            FUZZ_CHECK(role.rows[row].hardware == ToUtf8(labels[row]), role.rows[row].hardware);
        }
        bool allPassed = true;
        for (const ReportRow& row : role.rows) {
            allPassed = allPassed && row.passed;
            for (const auto* cell : {&row.requirements, &row.system, &row.message}) {
                FUZZ_CHECK(!cell->empty(), "a cell with no item in " + role.title);
            }
        }
        FUZZ_CHECK(allPassed == role.meets, role.title);
    }
}

// The page with a CR put before every LF that has none.
std::string WithCrLf(std::string_view page)
{
    std::string crlf;
    crlf.reserve(page.size() + page.size() / 8);
    for (std::size_t i = 0; i < page.size(); ++i) {
        if (page[i] == '\n' && (i == 0 || page[i - 1] != '\r')) {
            crlf += '\r';
        }
        crlf += page[i];
    }
    return crlf;
}

void CheckSameReading(const Result<ReportContent>& original, const Result<ReportContent>& variant, const char* what)
{
    FUZZ_CHECK(variant.has_value() == original.has_value(),
               std::string(what) + " changes the verdict: " + (variant ? "" : variant.error()) + " / " +
                   (original ? "" : original.error()));
    FUZZ_CHECK(!variant || *variant == *original, std::string(what) + " changes the content");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const ReportReader reader = *ReportReader::ForTemplate(EmbeddedReportTemplate);
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    const Result<ReportContent> reading = reader.Read(page);

    if (!page.starts_with("\xEF\xBB\xBF")) {
        CheckSameReading(reading, reader.Read("\xEF\xBB\xBF" + std::string(page)), "a byte order mark");
    }
    CheckSameReading(reading, reader.Read(WithCrLf(page)), "CR LF for LF");
    CheckSameReading(reading, reader.Read(std::string(page) + "\r\n \t\n"), "white space after the end");

    if (!reading) {
        FUZZ_CHECK(reading.error().starts_with("line ") && reading.error().find(", column ") != std::string::npos,
                   reading.error());
        return 0;
    }
    CheckContent(*reading, page);
    const Result<ReportContent> again = reader.Read(std::string(page));
    FUZZ_CHECK(again == reading, "a second reading differs");
    constexpr std::string_view Charset = "<meta charset=\"utf-8\">";
    if (const std::size_t at = page.find(Charset); at != std::string_view::npos && at < 200) {
        std::string without(page);
        const std::size_t lineStart = without.rfind('\n', at) + 1;
        const std::size_t lineEnd = without.find('\n', at);
        if (lineEnd != std::string::npos) {
            without.erase(lineStart, lineEnd + 1 - lineStart);
            CheckSameReading(reading, reader.Read(without), "no charset line");
        }
    }
    return 0;
}
