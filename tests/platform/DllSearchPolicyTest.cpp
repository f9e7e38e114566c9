#include "platform/DllSearchPolicy.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

TEST(DllSearchPolicyTest, SystemDirectoryOnlyWhereWindowsHasItAndCOMStillWorks)
{
    struct Case {
        const char* windows;
        bool hasSetDefaultDllDirectories;
        unsigned major;
        unsigned minor;
        DllSearch expected;
    };
    const Case cases[] = {
        {"XP", false, 5, 1, DllSearch::WithoutCurrentDirectory},
        {"Server 2003", false, 5, 2, DllSearch::WithoutCurrentDirectory},
        {"Vista without KB2533623", false, 6, 0, DllSearch::WithoutCurrentDirectory},
        {"Vista with KB2533623", true, 6, 0, DllSearch::WithoutCurrentDirectory},
        {"7 without KB2533623", false, 6, 1, DllSearch::WithoutCurrentDirectory},
        {"7 with KB2533623", true, 6, 1, DllSearch::SystemDirectoryOnly},
        {"8", true, 6, 2, DllSearch::SystemDirectoryOnly},
        {"8.1", true, 6, 3, DllSearch::SystemDirectoryOnly},
        {"10 and 11", true, 10, 0, DllSearch::SystemDirectoryOnly},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChooseDllSearch(c.hasSetDefaultDllDirectories, c.major, c.minor), c.expected) << c.windows;
    }
}

} // namespace
} // namespace Talvane::Nimlo
