#pragma once

#include <optional>
#include <string>
#include <vector>

namespace Talvane::Nimlo {

struct SummaryOptions {
    std::optional<std::string> csvFile; // UTF-8 paths
    std::optional<std::string> htmlFile;
    std::vector<std::string> paths; // report files and folders
};

struct ParsedCommandLine {
    std::optional<SummaryOptions> options;
    std::string error; // when the command line is not one: what is wrong
};

inline constexpr const char* SummaryUsage =
    "usage: SystemAssessmentSummary [--csv FILE] [--html FILE] PATH...\n"
    "\n"
    "Reads the \"System Assessment Results.html\" pages of many machines and\n"
    "summarizes them. Each PATH is a report file or a folder, searched with its\n"
    "subfolders for *.html files.\n"
    "\n"
    "  --csv FILE   one line per machine, role and requirement (UTF-8, Excel-ready)\n"
    "  --html FILE  an overview page: one line per machine, with links to the reports\n"
    "\n"
    "With neither, the CSV goes to standard output. Messages and the closing line\n"
    "go to standard error. Exit status: 0, 2 when a file was rejected (the others\n"
    "are still summarized), 1 on a usage error.\n";

// The arguments after the program's name.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

} // namespace Talvane::Nimlo
