#include "summary/Options.h"

namespace Talvane::Nimlo {

Result<SummaryOptions> ParseOptions(const std::vector<std::string>& arguments)
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
