#include "summary/FailedRequirements.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

// Each role's rows are told apart from its neighbours': the last row of one
// role and the first of the next are one bit apart.
TEST(FailedRequirementsTest, ARoleIsMetUnlessOneOfItsOwnRowsFails)
{
    struct Case {
        std::vector<std::pair<Role, std::size_t>> failed;     // role, row
        std::array<std::vector<std::size_t>, RoleCount> rows; // the rows each role falls short of
    };
    const std::size_t lastServerRow = RowLabels(Role::WebServer).size() - 1;
    const Case cases[] = {
        {{}, {}},
        {{{Role::Client, RowLabels(Role::Client).size() - 1}}, {{{RowLabels(Role::Client).size() - 1}, {}, {}}}},
        {{{Role::WebServer, lastServerRow}, {Role::AppServer64, 0}}, {{{}, {lastServerRow}, {0}}}},
        {{{Role::AppServer64, 4}, {Role::AppServer64, 0}, {Role::WebServer, 0}}, {{{}, {0}, {0, 4}}}},
    };
    for (const Case& c : cases) {
        FailedRequirements failed;
        for (const auto& [role, row] : c.failed) {
            failed.Add(role, row);
        }
        for (const Role role : AllRoles) {
            const std::vector<std::size_t>& rows = c.rows[RoleIndex(role)];
            const FailedRequirements::Rows of = failed.Of(role);
            EXPECT_EQ(std::vector<std::size_t>(of.begin(), of.end()), rows) << RoleIndex(role);
            EXPECT_EQ(failed.Meets(role), rows.empty()) << RoleIndex(role);
            for (std::size_t row = 0; row < RowLabels(role).size(); ++row) {
                const bool expected = std::ranges::find(rows, row) != rows.end();
                EXPECT_EQ(failed.FallsShort(role, row), expected) << RoleIndex(role) << " " << row;
                EXPECT_EQ(failed.FallsShortOf(FirstRequirement(role) + row), expected) << RoleIndex(role) << " " << row;
            }
        }
    }
}

} // namespace
} // namespace Talvane::Nimlo
