#include "summary/Lists.h"

#include <set>

#include <gtest/gtest.h>

#include "requirements/RoleLabels.h"

namespace Talvane::Nimlo {
namespace {

TEST(ListsTest, EveryRoleAndRequirementHasAFixedSafeName)
{
    const std::vector<std::string> expected{
        "not-assessed.txt",
        "client.txt",
        "web-server-or-32-bit-application-server.txt",
        "64-bit-application-server.txt",
        "client--operating-system.txt",
        "client--cpu.txt",
        "client--memory.txt",
        "client--free-hard-disk-space.txt",
        "client--video-memory.txt",
        "client--net-runtime.txt",
        "client--browser.txt",
        "client--required-cpp-runtimes.txt",
        "web-server-or-32-bit-application-server--server-operating-system.txt",
        "web-server-or-32-bit-application-server--cpu.txt",
        "web-server-or-32-bit-application-server--memory.txt",
        "web-server-or-32-bit-application-server--free-hard-disk-space.txt",
        "web-server-or-32-bit-application-server--net-runtime.txt",
        "web-server-or-32-bit-application-server--browser.txt",
        "web-server-or-32-bit-application-server--required-cpp-runtimes.txt",
        "64-bit-application-server--server-operating-system.txt",
        "64-bit-application-server--cpu.txt",
        "64-bit-application-server--memory.txt",
        "64-bit-application-server--free-hard-disk-space.txt",
        "64-bit-application-server--net-runtime.txt",
        "64-bit-application-server--browser.txt",
        "64-bit-application-server--required-cpp-runtimes.txt",
    };
    EXPECT_EQ(AllListNames(), expected);
    EXPECT_EQ(std::set<std::string>(expected.begin(), expected.end()).size(), 4 + RequirementCount);
    for (const std::string& name : expected) {
        EXPECT_EQ(name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-."), std::string::npos) << name;
    }
}

TEST(ListsTest, NamesAnsibleWouldReadAsPatterns)
{
    for (const char* name : {"web*", "db?", "a[1]", "host:22", "!web", "web&db", "a,b", "~web", "@hosts"}) {
        EXPECT_TRUE(IsAnsiblePattern(name)) << name;
    }
    for (const char* name : {"web-01", "DB_02.example.com", "host~1", "a@b", "\xC3\x85SA"}) {
        EXPECT_FALSE(IsAnsiblePattern(name)) << name;
    }
}

} // namespace
} // namespace Talvane::Nimlo
