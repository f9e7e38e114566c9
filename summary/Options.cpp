#include "summary/Options.h"

namespace Talvane::Nimlo {
namespace {

// A number of jobs written in decimal digits, from 1 to MostJobs.
std::optional<std::size_t> Jobs(const std::string& text)
{
    std::size_t jobs = 0;
    for (const char digit : text) {
        if (digit < '0' || digit > '9' || jobs > MostJobs) {
            return std::nullopt;
        }
        jobs = jobs * 10 + static_cast<std::size_t>(digit - '0');
    }
    return jobs >= 1 && jobs <= MostJobs ? std::optional(jobs) : std::nullopt;
}

} // namespace

Result<SummaryOptions> ParseOptions(const std::vector<std::string>& arguments)
{
    SummaryOptions options;
    bool onlyPaths = false;
    bool jobsGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (onlyPaths || argument.empty() || argument[0] != '-') {
            options.paths.push_back(argument);
            continue;
        }
        if (argument == "--") {
            onlyPaths = true;
            continue;
        }
        if (argument == "--jobs") {
            if (jobsGiven) {
                return Failure("--jobs is given twice");
            }
            const std::optional<std::size_t> jobs = i + 1 < arguments.size() ? Jobs(arguments[++i]) : std::nullopt;
            if (!jobs) {
                return Failure("--jobs needs a number from 1 to " + std::to_string(MostJobs));
            }
            options.jobs = *jobs;
            jobsGiven = true;
            continue;
        }
        std::optional<std::string>* target = nullptr;
        for (const auto& [name, option] : {std::pair{"--csv", &options.csvFile},
                                           {"--html", &options.htmlFile},
                                           {"--machines", &options.machinesFile},
                                           {"--lists", &options.listsFolder},
                                           {"--expect", &options.expectFile}}) {
            if (argument == name) {
                target = option;
            }
        }
        if (target == nullptr) {
            return Failure("unknown option " + argument);
        }
        if (*target) {
            return Failure(argument + " is given twice");
        }
        if (i + 1 == arguments.size() || arguments[i + 1].empty()) {
            return Failure(argument + (argument == "--lists" ? " needs a folder" : " needs a file name"));
        }
        *target = arguments[++i];
    }
    if (options.paths.empty()) {
        return Failure("no report file or folder given");
    }
    return options;
}

} // namespace Talvane::Nimlo
