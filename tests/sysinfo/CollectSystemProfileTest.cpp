#include "sysinfo/CollectSystemProfile.h"

#include <functional>
#include <stdexcept>

#include <gtest/gtest.h>

#include "fakes/FakeRegistry.h"
#include "fakes/FakeWmi.h"

namespace Talvane::Nimlo {
namespace {

using Testing::FakeRegistry;
using Testing::FakeWmiService;

const std::string Processor = "SELECT * FROM Win32_Processor";
const std::string Disks = "SELECT * FROM WIn32_LogicalDisk";
const std::string ComputerSystem = "SELECT * FROM Win32_ComputerSystem";
const std::string Video = "SELECT * FROM Win32_VideoController";
const std::string OperatingSystem = "SELECT * FROM Win32_OperatingSystem";

FakeWmiService Machine()
{
    FakeWmiService wmi;
    wmi.results[Processor] = {{{u"MaxClockSpeed", 2400u}}};
    wmi.results[Disks] = {{{u"DriveType", 3u}, {u"DeviceID", u"C:"}, {u"FreeSpace", u"107374182400"}}};
    wmi.results[ComputerSystem] = {{{u"TotalPhysicalMemory", u"17179869184"}, {u"Name", u"HOST-1"}}};
    wmi.results[Video] = {{{u"AdapterRAM", 1073741824u}}};
    wmi.results[OperatingSystem] = {{{u"Version", u"6.3.9600"},
                                     {u"CSDVersion", u""},
                                     {u"Caption", u"Microsoft Windows Server 2012 R2 Standard"},
                                     {u"ProductType", 3u}}};
    return wmi;
}

TEST(CollectSystemProfileTest, QueriesInOrderThenProbes)
{
    FakeWmiService wmi = Machine();
    FakeRegistry registry(true);
    registry.AddKey(u"Software\\Microsoft\\Internet Explorer").Text(u"svcVersion", u"11.0.9600.18817");

    const SystemProfile profile = CollectSystemProfile(wmi, registry, 4);

    EXPECT_EQ(wmi.queries, (std::vector<std::string>{Processor, Disks, ComputerSystem, Video, OperatingSystem}));
    EXPECT_EQ(wmi.LiveResultSets(), 0);
    EXPECT_EQ(profile.Cpu(), (CpuInfo{2.4, 4}));
    EXPECT_EQ(profile.Disks(), (std::vector<DiskInfo>{{100.0, u"C:"}}));
    EXPECT_EQ(profile.Memory(), (MemoryInfo{16.0, u"HOST-1"}));
    EXPECT_EQ(profile.ComputerName(), u"HOST-1");
    EXPECT_EQ(profile.VideoMemory().adapterRamMB, 1024);
    EXPECT_EQ(profile.Os().Caption(), u"Microsoft Windows Server 2012 R2 Standard");
    EXPECT_EQ(profile.Os().majorVersion, 6u);
    EXPECT_EQ(profile.Os().minorVersion, 3u);
    EXPECT_TRUE(profile.Os().isServer);
    EXPECT_EQ(profile.DotNet(), (DotNetInfo{u"Not Installed", 0}));
    EXPECT_EQ(profile.InternetExplorerVersion(), u"11.0.9600.18817");
    ASSERT_EQ(profile.Runtimes().size(), 8u);
    for (const RuntimeStatus& runtime : profile.Runtimes()) {
        EXPECT_FALSE(runtime.installed);
    }
}

TEST(CollectSystemProfileTest, RegistryProbesRunInTheirOrder)
{
    // .NET, then Internet Explorer, then the eight C++ runtimes in their table
    // order: the run reads the registry in a fixed sequence.
    FakeWmiService wmi = Machine();
    FakeRegistry registry(false);
    CollectSystemProfile(wmi, registry, 1);

    std::vector<std::u16string> opened;
    for (const FakeRegistry::Open& open : registry.opens) {
        opened.push_back(open.path);
    }
    const std::vector<std::u16string> expected{
        u"Software\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full",
        u"Software\\Microsoft\\Internet Explorer",
        u"SOFTWARE\\Classes\\Installer\\Products\\6E815EB96CCE9A53884E7857C57002F0",
        u"SOFTWARE\\Classes\\Installer\\Products\\67D6ECF5CD5FBA732B8B22BAC8DE1B4D",
        u"SOFTWARE\\Microsoft\\VisualStudio\\10.0\\VC\\VCRedist\\x86",
        u"SOFTWARE\\Microsoft\\VisualStudio\\10.0\\VC\\VCRedist\\x64",
        u"SOFTWARE\\Microsoft\\VisualStudio\\12.0\\VC\\Runtimes\\x86",
        u"SOFTWARE\\Microsoft\\VisualStudio\\12.0\\VC\\Runtimes\\x64",
        u"SOFTWARE\\Microsoft\\VisualStudio\\14.0\\VC\\Runtimes\\x86",
        u"SOFTWARE\\Microsoft\\VisualStudio\\14.0\\VC\\Runtimes\\x64",
    };
    EXPECT_EQ(opened, expected);
}

TEST(CollectSystemProfileTest, QueryErrorEndsTheCollectionAndReleasesTheResultSet)
{
    FakeWmiService wmi = Machine();
    wmi.results[ComputerSystem] = {{{u"TotalPhysicalMemory", u""}, {u"Name", u"HOST-1"}}};
    FakeRegistry registry(false);

    EXPECT_THROW(CollectSystemProfile(wmi, registry, 1), std::invalid_argument);
    EXPECT_EQ(wmi.queries, (std::vector<std::string>{Processor, Disks, ComputerSystem}));
    EXPECT_EQ(wmi.LiveResultSets(), 0);
    EXPECT_EQ(registry.wow64Questions, 0);
}

TEST(CollectSystemProfileTest, UnreachableWmiIsAnError)
{
    FakeWmiService wmi = Machine();
    wmi.failAll = "WMI could not be reached";
    FakeRegistry registry(false);
    EXPECT_THROW(CollectSystemProfile(wmi, registry, 1), std::runtime_error);
}

// Where the collection stopped is what a caller whose wait ran out names.
TEST(CollectSystemProfileTest, ProgressFollowsEachStep)
{
    using Phase = CollectionProgress::Phase;
    struct Case {
        const char* name;
        std::function<void(FakeWmiService&)> breakIt;
        std::string step;
        Phase phase;
    };
    const Case cases[] = {
        {"query refused", [](FakeWmiService& wmi) { wmi.failOn[Disks] = "refused"; }, "Win32_LogicalDisk",
         Phase::InQuery},
        {"results unreadable", [](FakeWmiService& wmi) { wmi.results[ComputerSystem] = {{}}; }, "Win32_ComputerSystem",
         Phase::AwaitingResult},
        {"all done", [](FakeWmiService&) {}, "The registry", Phase::Running},
    };
    for (const Case& c : cases) {
        FakeWmiService wmi = Machine();
        c.breakIt(wmi);
        FakeRegistry registry(true);
        CollectionProgress progress;
        try {
            CollectSystemProfile(wmi, registry, 1, progress);
        } catch (const std::exception&) {
        }
        EXPECT_EQ(progress.Step(), c.step) << c.name;
        EXPECT_EQ(progress.CurrentPhase(), c.phase) << c.name;
    }
}

} // namespace
} // namespace Talvane::Nimlo
