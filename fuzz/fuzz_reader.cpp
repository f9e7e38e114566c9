// The report reader on any bytes: whole report pages (the seeds are the
// golden pages) changed in every way the fuzzer finds, and bytes that are no
// page at all.
//
// Properties: it never crashes or hangs; it either rejects the bytes with a
// problem that names a line, or gives three roles with the report's titles in
// order, each verdict agreeing with its rows and every row whole (each cell
// read, no item empty of its check box flag where the page had one); and a
// page it accepts stays accepted, with the same content, when it is read again.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "report/ReportReader.h"
#include "requirements/RoleBuilders.h"
#include "text/Utf8.h"

extern const std::string_view EmbeddedReportTemplate;

namespace {

using namespace Talvane::Nimlo;
using Fuzzing::Show;

void CheckContent(const ReportContent& content, std::string_view page)
{
    FUZZ_CHECK(content.roles.size() == 3, Show(page.substr(0, 200)));
    for (std::size_t i = 0; i < content.roles.size(); ++i) {
        const ReportRole& role = content.roles[i];
        FUZZ_CHECK(role.title == ToUtf8(RoleTitles[i]), role.title);
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const ReportReader reader(EmbeddedReportTemplate);
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    const ReportReading reading = reader.Read(page);
    if (!reading.content) {
        FUZZ_CHECK(reading.problem.starts_with("line "), reading.problem);
        return 0;
    }
    FUZZ_CHECK(reading.problem.empty(), reading.problem);
    CheckContent(*reading.content, page);
    const ReportReading again = reader.Read(std::string(page));
    FUZZ_CHECK(again.content == reading.content, "a second reading differs");
    return 0;
}
