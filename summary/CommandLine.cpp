#include "summary/CommandLine.h"

namespace Talvane::Nimlo {

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments)
{
    SummaryOptions options;
    bool onlyPaths = false;
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
        if (argument != "--csv" && argument != "--html") {
            return {std::nullopt, "unknown option " + argument};
        }
        std::optional<std::string>& target = argument == "--csv" ? options.csvFile : options.htmlFile;
        if (target) {
            return {std::nullopt, argument + " is given twice"};
        }
        if (i + 1 == arguments.size() || arguments[i + 1].empty()) {
            return {std::nullopt, argument + " needs a file name"};
        }
        target = arguments[++i];
    }
    if (options.paths.empty()) {
        return {std::nullopt, "no report file or folder given"};
    }
    return {std::move(options), {}};
}

} // namespace Talvane::Nimlo
