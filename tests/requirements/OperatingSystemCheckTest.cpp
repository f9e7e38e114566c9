#include "requirements/OperatingSystemCheck.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

const std::u16string ServerRequirements = u"Windows Server 2008 R2 SP1 or later service pack (x64)~"
                                          u"Windows Server 2012 R2(x64)~Windows Server 2016 (x64)~";
const std::u16string ClientRequirements =
    u"Windows Server 2008 R2 SP1 or later service pack~Windows 7 SP1 or later service pack~Windows 8.1~"
    u"Windows Server 2012 R2~Windows 10~Windows Server 2016~";
const std::u16string NotForServers = u"Client operating systems are not supported for Dravik Servers.";

OSInfo Os(std::uint32_t major, std::uint32_t minor, std::uint32_t servicePack, const char16_t* caption, bool isServer)
{
    OSInfo os;
    os.majorVersion = major;
    os.minorVersion = minor;
    os.servicePackMajor = servicePack;
    os.caption = caption;
    os.isServer = isServer;
    return os;
}

struct OsCase {
    OSInfo os;
    bool serverPassed;
    std::u16string serverMessage;
    bool clientPassed;
    std::u16string system;
};

class OperatingSystemCheckTest : public testing::TestWithParam<OsCase> {};

TEST_P(OperatingSystemCheckTest, ServerAndClientVariants)
{
    const OsCase& c = GetParam();
    const RequirementResult server = CheckServerOperatingSystem(c.os);
    EXPECT_EQ(server.passed, c.serverPassed);
    EXPECT_EQ(server.Message(), c.serverMessage);
    EXPECT_EQ(server.System(), c.system);
    EXPECT_EQ(server.Hardware(), u"Server Operating System");
    EXPECT_EQ(server.Requirements(), ServerRequirements);

    const RequirementResult client = CheckClientOperatingSystem(c.os);
    EXPECT_EQ(client.passed, c.clientPassed);
    EXPECT_EQ(client.Message(), c.system + (c.clientPassed ? u" is supported." : u" is not supported."));
    EXPECT_EQ(client.System(), c.system);
    EXPECT_EQ(client.Hardware(), u"Operating System");
    EXPECT_EQ(client.Requirements(), ClientRequirements);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OperatingSystemCheckTest,
    testing::Values(
        // Windows 7 SP1: a workstation fails the server roles before its version is looked at.
        OsCase{Os(6, 1, 1, u"Microsoft Windows 7 Professional ", false), false, NotForServers, true,
               u"Microsoft Windows 7 Professional  (6.1.1)"},
        OsCase{Os(6, 1, 0, u"Microsoft Windows 7 Enterprise", false), false, NotForServers, false,
               u"Microsoft Windows 7 Enterprise (6.1.0)"},
        OsCase{Os(6, 1, 0, u"Server 2008 R2", true), false, u"Server 2008 R2(6.1.0) is not supported.", false,
               u"Server 2008 R2 (6.1.0)"},
        OsCase{Os(6, 1, 2, u"Server 2008 R2", true), true, u"Server 2008 R2(6.1.2) is supported.", true,
               u"Server 2008 R2 (6.1.2)"},
        OsCase{Os(6, 2, 0, u"Server 2012", true), false, u"Server 2012(6.2.0) is not supported.", false,
               u"Server 2012 (6.2.0)"},
        OsCase{Os(6, 0, 2, u"Server 2008", true), false, u"Server 2008(6.0.2) is not supported.", false,
               u"Server 2008 (6.0.2)"},
        OsCase{Os(6, 3, 0, u"Microsoft Windows Server 2012 R2 Standard", true), true,
               u"Microsoft Windows Server 2012 R2 Standard(6.3.0) is supported.", true,
               u"Microsoft Windows Server 2012 R2 Standard (6.3.0)"},
        OsCase{Os(6, 3, 0, u"Windows 8.1", false), false, NotForServers, true, u"Windows 8.1 (6.3.0)"},
        OsCase{Os(6, 2, 0, u"Windows 8", false), false, NotForServers, false, u"Windows 8 (6.2.0)"},
        OsCase{Os(10, 0, 0, u"Server 2016", true), true, u"Server 2016(10.0.0) is supported.", true,
               u"Server 2016 (10.0.0)"},
        OsCase{Os(10, 7, 3, u"Future", true), true, u"Future(10.7.3) is supported.", true, u"Future (10.7.3)"},
        OsCase{Os(11, 0, 0, u"Next", true), false, u"Next(11.0.0) is not supported.", false, u"Next (11.0.0)"},
        OsCase{Os(5, 2, 2, u"Server 2003", true), false, u"Server 2003(5.2.2) is not supported.", false,
               u"Server 2003 (5.2.2)"},
        OsCase{Os(4294967295u, 0, 0, u"", true), false, u"(4294967295.0.0) is not supported.", false,
               u" (4294967295.0.0)"},
        OsCase{Os(0, 0, 0, u"", false), false, NotForServers, false, u" (0.0.0)"}));

} // namespace
} // namespace Talvane::Nimlo
