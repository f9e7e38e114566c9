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
    "usage: SystemAssessmentSummary [--csv FILE] [--html FILE] [--] PATH...\n"
    "\n"
    "Reads the \"System Assessment Results.html\" pages of many machines and\n"
    "summarizes them. Each PATH is a report file or a folder, searched with its\n"
    "subfolders (linked ones too) for *.html and *.htm files. Only regular files\n"
    "of at most 64 MiB are read; every path passed over is named with its reason.\n"
    "\n"
    "  --csv FILE   one line per machine, role and requirement (UTF-8, Excel-ready)\n"
    "  --html FILE  an overview page: one line per machine, with links to the reports\n"
    "  --           what follows is a PATH, even when it begins with -\n"
    "\n"
    "With neither, the CSV goes to standard output. A FILE is replaced whole once\n"
    "everything is written, or left as it was; a device such as /dev/null is\n"
    "written into. Messages and the closing line go to standard error.\n"
    "\n"
    "Exit status: 0 every report found was read; 2 something was rejected or\n"
    "passed over (the rest is still summarized), or no report was found;\n"
    "1 a usage error, or an output that is a report or cannot be written.\n";

// The arguments after the program's name.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

} // namespace Talvane::Nimlo
