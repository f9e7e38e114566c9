#include "sysinfo/SystemProfile.h"

#include <type_traits>

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

// Records are copied, never shared: each accessor hands out a value of its
// own, not a reference into the profile (checked when this compiles).
TEST(SystemProfileTest, AccessorsReturnValuesNotReferences)
{
    const SystemProfile profile = Testing::AllPassProfile();
    static_assert(std::is_same_v<decltype(profile.Cpu()), CpuInfo>);
    static_assert(std::is_same_v<decltype(profile.Disks()), std::vector<DiskInfo>>);
    static_assert(std::is_same_v<decltype(profile.Memory()), MemoryInfo>);
    static_assert(std::is_same_v<decltype(profile.Os()), OSInfo>);
    static_assert(std::is_same_v<decltype(profile.VideoMemory()), VideoMemoryInfo>);
    static_assert(std::is_same_v<decltype(profile.DotNet()), DotNetInfo>);
    static_assert(std::is_same_v<decltype(profile.InternetExplorerVersion()), std::u16string>);
    static_assert(std::is_same_v<decltype(profile.Runtimes()), std::vector<RuntimeStatus>>);
    static_assert(std::is_same_v<decltype(profile.ComputerName()), std::u16string>);
    SUCCEED();
}

TEST(SystemProfileTest, KeepsItsOwnCopyOfWhatItWasBuiltFrom)
{
    std::vector<DiskInfo> disks{{100.0, u"C:"}};
    std::vector<RuntimeStatus> runtimes = Testing::Runtimes({true});
    std::u16string internetExplorer = u"11.0";
    std::u16string name = u"HOST";
    const SystemProfile profile(CpuInfo{2.6, 4}, disks, MemoryInfo{8.0, name}, OSInfo{6, 1, 1, u"7", false},
                                VideoMemoryInfo{64}, internetExplorer, DotNetInfo{u"4.8", 528040}, runtimes, name);

    disks[0].freeSpaceGB = 0.0;
    disks.push_back({1.0, u"D:"});
    runtimes[0].installed = false;
    internetExplorer = u"6.0";
    name = u"OTHER";

    EXPECT_EQ(profile.Disks(), (std::vector<DiskInfo>{{100.0, u"C:"}}));
    EXPECT_TRUE(profile.Runtimes()[0].installed);
    EXPECT_EQ(profile.InternetExplorerVersion(), u"11.0");
    EXPECT_EQ(profile.ComputerName(), u"HOST");
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
