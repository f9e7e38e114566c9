#pragma once

#include <string_view>

// The markup of the report page, shared by the code that writes it and the
// code that reads it back, so the two cannot drift apart. Every line the role
// sections write ends with a line feed.
namespace Talvane::Nimlo::Markup {

// A role section: the heading with the role's title and verdict.
inline constexpr std::string_view SectionStart = "<div class='container'>\n";
inline constexpr std::string_view HeadingStart = "<h2 class='header-text table-header'>";
inline constexpr std::string_view VerdictStart = ": <span class='"; // then "pass" or "fail"
inline constexpr std::string_view VerdictClassEnd = "'>";           // then the verdict sentence
inline constexpr std::string_view HeadingEnd = "</span></h2>\n";
inline constexpr std::string_view MeetsSentence = "This system meets the requirements.";
inline constexpr std::string_view FallsShortSentence = "This system does not meet the requirements.";

// The table and its header row.
inline constexpr std::string_view TableStart = "<div class='result-table'><table>\n";
inline constexpr std::string_view HeaderRow =
    "<tr class=header-border><th class=text>Hardware</th><th class=text>Requirements</th>"
    "<th class=text>Status</th><th class=text>System</th><th class=text>Message</th></tr>\n";
inline constexpr std::string_view SectionEnd = "</table></div></div>\n";

// One row per requirement; every row but the last has the bottom border.
inline constexpr std::string_view RowStart = "<tr class='"; // then "bottom-border" or nothing
inline constexpr std::string_view RowClassEnd = "'>\n";
inline constexpr std::string_view BorderedRowClass = "bottom-border";
inline constexpr std::string_view HardwareCellStart = "<td class='text' width='150px'>";
inline constexpr std::string_view RequirementsCellStart = "<td class='text' width='400px'>";
inline constexpr std::string_view StatusCellStart = "<td class='text "; // then "pass" or "fail"
inline constexpr std::string_view StatusClassEnd = "' width='100px'>";  // then "PASS" or "FAIL"
inline constexpr std::string_view SystemCellStart = "<td class='text row-header' width='150px'>";
inline constexpr std::string_view MessageCellStart = "<td class='text'>";
inline constexpr std::string_view CellEnd = "</td>\n";
inline constexpr std::string_view RowEnd = "</tr>\n";

inline constexpr std::string_view PassClass = "pass";
inline constexpr std::string_view FailClass = "fail";
inline constexpr std::string_view PassLabel = "PASS";
inline constexpr std::string_view FailLabel = "FAIL";

// A cell that shows a list: one block per item.
inline constexpr std::string_view ItemStart = "<div class=list-div>";
inline constexpr std::string_view ItemEnd = "</div>\n";

// The placeholders of the report template, which FillReport replaces. The C++
// runtime row's items begin with a check box placeholder.
inline constexpr std::string_view ReportBodyPlaceholder = "{{REPORT_BODY}}";
inline constexpr std::string_view ComputerNamePlaceholder = "{{COMPUTER_NAME}}";
inline constexpr std::string_view OemNamePlaceholder = "{{OEM_NAME}}";
inline constexpr std::string_view OemProductNamePlaceholder = "{{OEM_PRODUCT_NAME}}";
inline constexpr std::string_view MajorVersionPlaceholder = "{{MAJOR_VERSION}}";
inline constexpr std::string_view CheckboxOnPlaceholder = "{{CHECKBOX_ON}}";
inline constexpr std::string_view CheckboxOffPlaceholder = "{{CHECKBOX_OFF}}";

// The check boxes the C++ runtime row's items begin with, once the page is filled.
inline constexpr std::string_view CheckboxOn = "<input type=checkbox disabled=disabled checked=checked>";
inline constexpr std::string_view CheckboxOff = "<input type=checkbox disabled=disabled>";

} // namespace Talvane::Nimlo::Markup
