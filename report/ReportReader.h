#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Result.h"

namespace Talvane::Nimlo {

class ReportReader;

// One item of a cell as the page shows it: UTF-8, entities decoded. The items
// of the C++ runtime row's system cell begin with a check box: then
// `checkbox` says whether it is ticked and `text` is what follows it.
struct ReportItem {
    std::string text;
    std::optional<bool> checkbox;

    bool operator==(const ReportItem&) const = default;
};

struct ReportRow {
    std::string hardware;
    bool passed = false;
    std::vector<ReportItem> requirements;
    std::vector<ReportItem> system;
    std::vector<ReportItem> message;

    bool operator==(const ReportRow&) const = default;
};

struct ReportRole {
    std::string title;
    bool meets = false; // the verdict the page states
    std::vector<ReportRow> rows;

    bool operator==(const ReportRole&) const = default;
};

// What a report page says, as it shows (entities decoded): the computer name
// of its header and the three roles in their order, each with its rows.
struct ReportContent {
    std::string computerName;
    std::vector<ReportRole> roles;

    bool operator==(const ReportContent&) const = default;
};

// Reads report pages back. A page is taken exactly when the program could
// have written it: the template's markup around the computer name and the
// body, the three roles in their order, each with its rows under their fixed
// labels in their fixed order, and verdicts that agree with their rows; the
// texts of the cells are free. What carries no meaning is let pass: a UTF-8
// byte order mark, CR LF or LF line ends (mixed, cell texts included), the
// line `<meta charset="utf-8">` present or not, white space after the end.
// A cell comes back as its items: a list as one item per block, any other
// text as one item (a text that looks exactly like a list of blocks comes back
// as that list; the page cannot tell them apart).
class ReportReader {
public:
    // The reader for pages filled from `reportTemplate`, or why none can be made from it.
    static Result<ReportReader> ForTemplate(std::string_view reportTemplate);

    // The content, or why the page is not a report: the first difference,
    // with its line and column in the page as given.
    Result<ReportContent> Read(std::string_view page) const;
    // The same for a page the caller hands over: it is read in place.
    Result<ReportContent> Read(std::string text) const;

private:
    ReportReader() = default;

    std::string head_;      // the page up to the computer name, without the charset line
    std::string headMeta_;  // the same with it
    std::string afterName_; // from the computer name to the report body
    std::string tail_;      // after the report body, without white space at its end
};

} // namespace Talvane::Nimlo
