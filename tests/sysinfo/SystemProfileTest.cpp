#include "sysinfo/SystemProfile.h"

#include <gtest/gtest.h>

#include "fakes/Profiles.h"

namespace Talvane::Nimlo {
namespace {

TEST(SystemProfileTest, EachPartComesBackFromItsOwnAccessor)
{
    // Distinct values everywhere, so a swapped argument shows up.
    const CpuInfo cpu{2.6, 4};
    const std::vector<DiskInfo> disks{{100.0, u"D:"}, {1.5, u"C:"}};
    const MemoryInfo memory{8.5, u"HOST"};
    const OSInfo os{6, 3, 0, u"Caption", true};
    const VideoMemoryInfo video{1024};
    const DotNetInfo dotNet{u"4.8.03761", 528040};
    const std::vector<RuntimeStatus> runtimes = Testing::Runtimes({true, false, true});

    const SystemProfile profile(cpu, disks, memory, os, video, u"11.0.9600", dotNet, runtimes, u"HOST");

    EXPECT_EQ(profile.Cpu(), cpu);
    EXPECT_EQ(profile.Disks(), disks);
    EXPECT_EQ(profile.Memory(), memory);
    EXPECT_EQ(profile.Os(), os);
    EXPECT_EQ(profile.VideoMemory(), video);
    EXPECT_EQ(profile.InternetExplorerVersion(), u"11.0.9600");
    EXPECT_EQ(profile.DotNet(), dotNet);
    EXPECT_EQ(profile.Runtimes(), runtimes);
    EXPECT_EQ(profile.ComputerName(), profile.Memory().Name());
}

TEST(SystemProfileTest, AccessorsHandOutCopies)
{
    const SystemProfile profile = Testing::AllPassProfile();

    std::vector<DiskInfo> disks = profile.Disks();
    disks.clear();
    std::vector<RuntimeStatus> runtimes = profile.Runtimes();
    runtimes[0].installed = false;

    EXPECT_EQ(profile.Disks().size(), 2u);
    EXPECT_TRUE(profile.Runtimes()[0].installed);
}

TEST(SystemProfileTest, EmptyProfileIsValid)
{
    const SystemProfile profile = Testing::EmptyProfile();
    EXPECT_TRUE(profile.Disks().empty());
    EXPECT_TRUE(profile.Runtimes().empty());
    EXPECT_EQ(profile.ComputerName(), u"");
    EXPECT_EQ(profile.ComputerName(), profile.Memory().Name());
    EXPECT_EQ(profile.Os().Caption(), u"");
    EXPECT_EQ(profile.DotNet().Version(), u"");
}

} // namespace
} // namespace Talvane::Nimlo
