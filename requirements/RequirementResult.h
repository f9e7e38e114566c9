#pragma once

#include <string>

namespace Talvane::Nimlo {

// One row of a role's table. The three texts may hold several lines, each
// ended by "~" (see FormatCell).
class RequirementResult {
public:
    RequirementResult(std::u16string hardware, bool isPassed, std::u16string requirements, std::u16string system,
                      std::u16string message)
        : passed(isPassed)
        , hardware_(std::move(hardware))
        , requirements_(std::move(requirements))
        , system_(std::move(system))
        , message_(std::move(message))
    {}

    std::u16string Hardware() const { return hardware_; }
    std::u16string Requirements() const { return requirements_; }
    std::u16string System() const { return system_; }
    std::u16string Message() const { return message_; }

    bool operator==(const RequirementResult&) const = default;

    bool passed;

private:
    std::u16string hardware_;
    std::u16string requirements_;
    std::u16string system_;
    std::u16string message_;
};

} // namespace Talvane::Nimlo
