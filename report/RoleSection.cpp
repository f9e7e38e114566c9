#include "report/RoleSection.h"

#include "report/CellFormat.h"
#include "report/Markup.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {

std::string RenderRole(const RoleAssessment& role)
{
    using namespace Markup;
    const std::vector<RequirementResult> rows = role.Results();
    const bool allPassed = Meets(role);

    std::string html;
    html.append(SectionStart);
    html.append(HeadingStart).append(ToUtf8(role.Title())).append(VerdictStart);
    html.append(allPassed ? PassClass : FailClass).append(VerdictClassEnd);
    html.append(allPassed ? MeetsSentence : FallsShortSentence).append(HeadingEnd);
    html.append(TableStart).append(HeaderRow);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const RequirementResult& row = rows[i];
        const bool last = i + 1 == rows.size();
        html.append(RowStart).append(last ? std::string_view() : BorderedRowClass).append(RowClassEnd);
        html.append(HardwareCellStart).append(ToUtf8(row.Hardware())).append(CellEnd);
        html.append(RequirementsCellStart).append(FormatCell(row.Requirements())).append(CellEnd);
        html.append(StatusCellStart).append(row.passed ? PassClass : FailClass).append(StatusClassEnd);
        html.append(row.passed ? PassLabel : FailLabel).append(CellEnd);
        html.append(SystemCellStart).append(FormatCell(row.System())).append(CellEnd);
        html.append(MessageCellStart).append(FormatCell(row.Message())).append(CellEnd);
        html.append(RowEnd);
    }
    html.append(SectionEnd);
    return html;
}

} // namespace Talvane::Nimlo
