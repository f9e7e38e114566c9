#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Talvane::Nimlo {

// One item of a cell, as the page holds it (UTF-8, entities and all). The
// items of the C++ runtime row's system cell begin with a check box: then
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

// What a report page says: the computer name of its header and the three
// roles in their order.
struct ReportContent {
    std::string computerName;
    std::vector<ReportRole> roles;

    bool operator==(const ReportContent&) const = default;
};

// The content, or why the page is not a report: the first thing that did not
// match, with its line.
struct ReportReading {
    std::optional<ReportContent> content;
    std::string problem;
};

// Reads report pages back. A cell comes back as its items: a list as one item
// per block, any other text as one item (a text that looks exactly like a
// list of blocks comes back as that list; the page cannot tell them apart).
// A page is taken only whole: everything from the head of the template to its
// footnote, three sections with the three role titles in order, every row
// complete, and verdicts that agree with their rows.
class ReportReader {
public:
    // `reportTemplate`: the template the pages were filled from.
    explicit ReportReader(std::string_view reportTemplate);

    ReportReading Read(std::string_view page) const;

private:
    std::string head_;      // the page up to the computer name
    std::string afterName_; // from the computer name to the report body
    std::string tail_;      // after the report body
    std::string problem_;   // set when the template has no place for the name or the body
};

} // namespace Talvane::Nimlo
