#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// tests/data/outcomes.tsv, compiled in (tests/CMakeLists.txt).
extern const std::string_view EmbeddedOutcomes;

namespace Talvane::Nimlo::Testing {

// One row of tests/data/outcomes.tsv, the one table of a round's outcomes
// that every writer and reader of notes is tested against.
struct Outcome {
    std::size_t line;               // in the file, for messages
    std::string_view kind;          // the note's KIND, or "assessed"
    std::string_view status;        // the PowerShell collector's Status
    std::string_view exitStatus;    // the program's, where the outcome comes from one
    std::string_view standardError; // the program's line on standard error then
    std::string_view note;          // the whole line of the note; empty for "assessed"
    std::string_view resultLine;    // the program's result line on standard output then, if any
};

// The rows after the header line: six cells each, separated by tabs.
inline std::vector<Outcome> Outcomes()
{
    std::string_view table = EmbeddedOutcomes;
    std::vector<Outcome> rows;
    std::size_t line = 0;
    while (!table.empty()) {
        const std::size_t end = table.find('\n');
        std::string_view text = table.substr(0, end);
        table.remove_prefix(end == std::string_view::npos ? table.size() : end + 1);
        if (++line == 1) {
            continue;
        }
        std::vector<std::string_view> cells;
        for (std::size_t tab = text.find('\t'); tab != std::string_view::npos; tab = text.find('\t')) {
            cells.push_back(text.substr(0, tab));
            text.remove_prefix(tab + 1);
        }
        cells.push_back(text);
        if (cells.size() != 6) {
            throw std::invalid_argument("outcomes.tsv line " + std::to_string(line) + " has " +
                                        std::to_string(cells.size()) + " cells, not 6");
        }
        rows.push_back({line, cells[0], cells[1], cells[2], cells[3], cells[4], cells[5]});
    }
    return rows;
}

} // namespace Talvane::Nimlo::Testing
