#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Result.h"

namespace Talvane::Nimlo {

// What the summary's messages of a failure begin with.
inline constexpr std::string_view ProgramName = "SystemAssessmentSummary: ";

// How many files are looked up and read at once unless --jobs says otherwise, and the most.
inline constexpr std::size_t DefaultJobs = 32;
inline constexpr std::size_t MostJobs = 256;

// The command line.
struct SummaryOptions {
    std::optional<std::string> csvFile; // UTF-8 paths
    std::optional<std::string> htmlFile;
    std::optional<std::string> machinesFile;
    std::optional<std::string> listsFolder;
    std::optional<std::string> expectFile;
    std::vector<std::string> paths; // report files and folders
    std::size_t jobs = DefaultJobs; // files looked up and read at once

    // Whether anything is written to a file; without, the CSV goes to standard output.
    bool WritesFiles() const { return csvFile || htmlFile || machinesFile || listsFolder; }
};

inline constexpr const char* SummaryUsage =
    "usage: SystemAssessmentSummary [--csv FILE] [--html FILE] [--machines FILE]\n"
    "                               [--lists FOLDER] [--expect FILE] [--jobs N]\n"
    "                               [--] PATH...\n"
    "\n"
    "Reads the \"System Assessment Results.html\" pages of many machines and\n"
    "summarizes them. Each PATH is a report file or a folder, searched with its\n"
    "subfolders (linked ones too) for *.html and *.htm files. Only regular files\n"
    "of at most 64 MiB are read; every path passed over is named with its reason.\n"
    "A report's name is its file name without the extension. A host's note,\n"
    "NAME.not-assessed.txt beside the reports, says why it was not assessed.\n"
    "\n"
    "  --csv FILE       one line per report, role and requirement (UTF-8, Excel-ready)\n"
    "  --html FILE      an overview page: what blocks each role on how many reports,\n"
    "                   then one line per report, with links to the reports\n"
    "  --machines FILE  one line per report: each role's verdict and what it falls\n"
    "                   short of, then one per host not assessed with its reason\n"
    "                   (UTF-8, Excel-ready, at any fleet size)\n"
    "  --lists FOLDER   for each role and requirement, the names of the reports that\n"
    "                   fall short of it, one a line (for ansible-playbook --limit @FILE)\n"
    "  --expect FILE    the hosts that should have a report, one a line; those without\n"
    "                   one are counted and listed as not assessed\n"
    "  --jobs N         files looked up and read at once, 1 to 256 (32): many for a\n"
    "                   share across a network; the pages are parsed on every core\n"
    "  --               what follows is a PATH, even when it begins with -\n"
    "\n"
    "With no output option, the long CSV goes to standard output. A FILE is replaced\n"
    "whole once everything is written, or left as it was; a device such as\n"
    "/dev/null is written into. Messages and the closing line go to standard error.\n"
    "\n"
    "Exit status: 0 every report found was read; 2 something was rejected or\n"
    "passed over, a host was not assessed (expected, or with a note) or has a note\n"
    "beside its report (the rest is still summarized), or nothing was found; 1 a\n"
    "usage error, or an output that is a report or cannot be written.\n";

// The arguments after the program's name, or what is wrong with them.
Result<SummaryOptions> ParseOptions(const std::vector<std::string>& arguments);

} // namespace Talvane::Nimlo
