#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "requirements/RequirementResult.h"

namespace Talvane::Nimlo {

// One installation role: its title and its rows in the order they were checked.
class RoleAssessment {
public:
    RoleAssessment(std::u16string title, std::vector<RequirementResult> results)
        : title_(std::move(title))
        , results_(std::move(results))
    {}

    std::u16string Title() const { return title_; }
    std::vector<RequirementResult> Results() const { return results_; }

    bool operator==(const RoleAssessment&) const = default;

private:
    std::u16string title_;
    std::vector<RequirementResult> results_;
};

// The role's verdict, as its page shows it: met when every row passes.
inline bool Meets(const RoleAssessment& role)
{
    const std::vector<RequirementResult> rows = role.Results();
    return std::all_of(rows.begin(), rows.end(), [](const RequirementResult& row) { return row.passed; });
}

} // namespace Talvane::Nimlo
