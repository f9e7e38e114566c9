#include "platform/win32/WmiConnection.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/SystemError.h"
#include "platform/win32/ComInit.h"
#include "platform/win32/WideString.h"
#include "sysinfo/WmiQueries.h"

namespace Talvane::Nimlo {
namespace {

constexpr double BytesPerGB = 1024.0 * 1024.0 * 1024.0;

std::uint32_t LogicalProcessors()
{
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    return system.dwNumberOfProcessors;
}

std::u16string ComputerName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    EXPECT_TRUE(GetComputerNameW(name, &length));
    return FromWide(name, length);
}

// "C:" for a system installed on drive C.
std::u16string SystemDrive()
{
    wchar_t directory[MAX_PATH] = {};
    EXPECT_GE(GetSystemDirectoryW(directory, MAX_PATH), 2u);
    return FromWide(directory, 2);
}

// Runs `wql` and reads every object of the result set.
std::size_t CountObjects(WmiService& wmi, const std::string& wql)
{
    const std::unique_ptr<WmiResultSet> results = wmi.ExecQuery(wql);
    std::size_t count = 0;
    while (results->Next()) {
        ++count;
    }
    return count;
}

TEST(WmiIntegrationTest, EveryQueryTextFindsItsClass)
{
    WmiConnection wmi;
    const std::vector<std::string> texts = {
        CpuInfoWmiQuery(1).QueryText(),    DiskInfoWmiQuery().QueryText(), MemoryInfoWmiQuery().QueryText(),
        VideoMemoryWmiQuery().QueryText(), OSInfoWmiQuery().QueryText(),
    };
    for (const std::string& text : texts) {
        EXPECT_GE(CountObjects(wmi, text), 1u) << text;
    }
}

TEST(WmiIntegrationTest, ReadsTheProcessor)
{
    WmiConnection wmi;
    const CpuInfo cpu = Execute(wmi, CpuInfoWmiQuery(LogicalProcessors()));

    EXPECT_GT(cpu.maxClockSpeedGHz, 0.0);
    EXPECT_GE(cpu.processorCount, 1);
    EXPECT_EQ(cpu.processorCount, static_cast<std::int32_t>(LogicalProcessors()));
}

TEST(WmiIntegrationTest, ListsTheSystemDriveAsALocalDisk)
{
    WmiConnection wmi;
    const std::vector<DiskInfo> disks = Execute(wmi, DiskInfoWmiQuery());

    const std::u16string systemDrive = SystemDrive();
    EXPECT_TRUE(
        std::any_of(disks.begin(), disks.end(), [&](const DiskInfo& disk) { return disk.deviceId == systemDrive; }));
    for (const DiskInfo& disk : disks) {
        EXPECT_EQ(disk.deviceId.size(), 2u);
        EXPECT_EQ(disk.deviceId.back(), u':');
        EXPECT_GE(disk.freeSpaceGB, 0.0);
    }
}

TEST(WmiIntegrationTest, ReadsMemoryAndTheComputerName)
{
    WmiConnection wmi;
    const MemoryInfo memory = Execute(wmi, MemoryInfoWmiQuery());

    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    EXPECT_GT(memory.totalPhysicalMemoryGB, 0.0);
    EXPECT_NEAR(memory.totalPhysicalMemoryGB, static_cast<double>(status.ullTotalPhys) / BytesPerGB, 0.5);
    EXPECT_EQ(memory.name, ComputerName());
}

TEST(WmiIntegrationTest, ReadsTheOperatingSystemAndVideoMemory)
{
    WmiConnection wmi;
    const OSInfo os = Execute(wmi, OSInfoWmiQuery());
    EXPECT_GT(os.majorVersion, 0u);
    EXPECT_FALSE(os.caption.empty());

    EXPECT_NO_THROW(Execute(wmi, VideoMemoryWmiQuery()));
}

// Text and integer properties are each read only through their own type.
TEST(WmiIntegrationTest, ReadsPropertiesByTheirType)
{
    WmiConnection wmi;
    const std::unique_ptr<WmiResultSet> results = wmi.ExecQuery(OSInfoWmiQuery().QueryText());
    const std::unique_ptr<WmiObject> system = results->Next();
    ASSERT_NE(system, nullptr);

    const WmiValue version = system->Get(u"Version");
    EXPECT_FALSE(version.text.empty());
    EXPECT_EQ(version.integer, 0u);
    EXPECT_EQ(version.fetchResult, S_OK);
    const WmiValue productType = system->Get(u"ProductType");
    EXPECT_NE(productType.integer, 0u);
    EXPECT_EQ(productType.text, u"");

    // A property the class does not have: Get fails, and its HRESULT is kept.
    const WmiValue missing = system->Get(u"NoSuchProperty");
    EXPECT_EQ(missing.text, u"");
    EXPECT_EQ(missing.integer, 0u);
    EXPECT_FALSE(missing.Fetched());
    EXPECT_EQ(missing.fetchResult, static_cast<std::int32_t>(WBEM_E_NOT_FOUND));
}

TEST(WmiIntegrationTest, KeepsWhatSettingComSecurityGave)
{
    const WmiConnection first;
    const HRESULT security = first.SecurityResult();
    // Set by this connection, or by an earlier one in this process.
    EXPECT_TRUE(security == S_OK || security == RPC_E_TOO_LATE) << DescribeCode(SystemCode::HResult(security));
}

TEST(WmiIntegrationTest, RefusedQueryThrowsWithTheHresult)
{
    WmiConnection wmi;
    try {
        CountObjects(wmi, "SELEKT nothing FROM nowhere");
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("(HRESULT 0x8"), std::string::npos) << error.what();
    }
}

TEST(WmiIntegrationTest, ClosingEndsComOnTheThread)
{
    {
        WmiConnection wmi;
        Execute(wmi, OSInfoWmiQuery());
    }
    // COM is no longer initialised here, so a single-threaded apartment can start.
    const HRESULT again = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    EXPECT_EQ(again, S_OK);
    if (SUCCEEDED(again)) {
        CoUninitialize();
    }

    WmiConnection second;
    EXPECT_GT(Execute(second, OSInfoWmiQuery()).majorVersion, 0u);
}

TEST(WmiIntegrationTest, LeavesAnApartmentThatWasAlreadyThere)
{
    const ComInit outer(COINIT_APARTMENTTHREADED);
    ASSERT_EQ(outer.Result(), S_OK);
    {
        WmiConnection wmi;
    }
    // Still initialised: a further initialisation only counts up.
    const HRESULT again = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    EXPECT_EQ(again, S_FALSE);
    if (SUCCEEDED(again)) {
        CoUninitialize();
    }
}

} // namespace
} // namespace Talvane::Nimlo
