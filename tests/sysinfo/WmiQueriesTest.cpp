#include "sysinfo/WmiQueries.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fakes/FakeWmi.h"

namespace Talvane::Nimlo {
namespace {

using Testing::FakeWmiProperties;
using Testing::FakeWmiResultSet;
using Testing::FakeWmiService;
using Testing::FakeWmiValue;

constexpr std::int32_t NotFound = static_cast<std::int32_t>(0x80041002); // WBEM_E_NOT_FOUND

constexpr std::uint64_t GiB = 1024ull * 1024 * 1024;

std::u16string Digits(std::uint64_t value)
{
    const std::string narrow = std::to_string(value);
    return std::u16string(narrow.begin(), narrow.end());
}

template <typename T> T ParseObjects(const WmiQuery<T>& query, std::vector<FakeWmiProperties> objects)
{
    FakeWmiResultSet results(std::move(objects));
    return query.Parse(results);
}

// The exception's type and message, or "no error".
template <typename Exception> std::string ErrorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const Exception& error) {
        return error.what();
    }
    return "no error";
}

TEST(WmiQueriesTest, SendsTheQueryTextsLetterForLetter)
{
    FakeWmiService wmi;
    wmi.results["SELECT * FROM Win32_Processor"] = {{{u"MaxClockSpeed", 1000u}}};
    wmi.results["SELECT * FROM Win32_ComputerSystem"] = {{{u"TotalPhysicalMemory", u"1"}}};
    wmi.results["SELECT * FROM Win32_OperatingSystem"] = {{{u"Version", u"6.1.7601"}}};

    Execute(wmi, CpuInfoWmiQuery(1));
    Execute(wmi, DiskInfoWmiQuery());
    Execute(wmi, MemoryInfoWmiQuery());
    Execute(wmi, VideoMemoryWmiQuery());
    Execute(wmi, OSInfoWmiQuery());

    EXPECT_EQ(wmi.queries, (std::vector<std::string>{
                               "SELECT * FROM Win32_Processor",
                               "SELECT * FROM WIn32_LogicalDisk",
                               "SELECT * FROM Win32_ComputerSystem",
                               "SELECT * FROM Win32_VideoController",
                               "SELECT * FROM Win32_OperatingSystem",
                           }));
    EXPECT_EQ(wmi.LiveResultSets(), 0);
}

TEST(WmiQueriesTest, ResultSetIsReleasedWhenTheParserThrows)
{
    FakeWmiService wmi;
    wmi.results["SELECT * FROM Win32_ComputerSystem"] = {{{u"TotalPhysicalMemory", u""}}};

    EXPECT_THROW(Execute(wmi, MemoryInfoWmiQuery()), std::invalid_argument);
    EXPECT_EQ(wmi.LiveResultSets(), 0);
}

// A query that expects one object reports an empty result set instead of
// reading from nothing; a missing video controller is simply no video memory.
TEST(WmiQueriesTest, EmptyResultSets)
{
    EXPECT_EQ(ErrorOf<std::runtime_error>([] { ParseObjects(CpuInfoWmiQuery(4), {}); }),
              "WMI returned no Win32_Processor object");
    EXPECT_EQ(ErrorOf<std::runtime_error>([] { ParseObjects(MemoryInfoWmiQuery(), {}); }),
              "WMI returned no Win32_ComputerSystem object");
    EXPECT_EQ(ErrorOf<std::runtime_error>([] { ParseObjects(OSInfoWmiQuery(), {}); }),
              "WMI returned no Win32_OperatingSystem object");
    EXPECT_EQ(ParseObjects(VideoMemoryWmiQuery(), {}), VideoMemoryInfo{0});
    EXPECT_TRUE(ParseObjects(DiskInfoWmiQuery(), {}).empty());
}

TEST(CpuInfoWmiQueryTest, UsesTheFirstProcessorAndTheGivenCount)
{
    const CpuInfo cpu = ParseObjects(CpuInfoWmiQuery(8), {{{u"MaxClockSpeed", 3100u}}, {{u"MaxClockSpeed", 2000u}}});

    EXPECT_DOUBLE_EQ(cpu.maxClockSpeedGHz, 3.1);
    EXPECT_EQ(cpu.processorCount, 8);
}

TEST(CpuInfoWmiQueryTest, ReadsTheClockSpeedAsSigned)
{
    EXPECT_DOUBLE_EQ(ParseObjects(CpuInfoWmiQuery(1), {{{u"MaxClockSpeed", 0xFFFFFFFFu}}}).maxClockSpeedGHz, -0.001);
    EXPECT_DOUBLE_EQ(ParseObjects(CpuInfoWmiQuery(1), {{}}).maxClockSpeedGHz, 0.0);
}

struct DiskCase {
    const char* name;
    std::vector<FakeWmiProperties> objects;
    std::vector<DiskInfo> expected;
};

class DiskInfoWmiQueryTest : public testing::TestWithParam<DiskCase> {};

TEST_P(DiskInfoWmiQueryTest, ListsLocalDisksInEnumerationOrder)
{
    EXPECT_EQ(ParseObjects(DiskInfoWmiQuery(), GetParam().objects), GetParam().expected);
}

FakeWmiProperties Disk(std::uint32_t driveType, const char16_t* deviceId, std::u16string freeSpace)
{
    return {{u"DriveType", driveType}, {u"DeviceID", deviceId}, {u"FreeSpace", std::move(freeSpace)}};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DiskInfoWmiQueryTest,
    testing::Values(DiskCase{"NoObjects", {}, {}},
                    DiskCase{"NoLocalDisk",
                             {Disk(2, u"A:", u"1024"),
                              Disk(4, u"N:", u"2048"),
                              Disk(5, u"R:", u"0"),
                              Disk(6, u"Z:", u"10"),
                              {{u"DeviceID", u"Q:"}, {u"FreeSpace", u"5"}}},
                             {}},
                    DiskCase{"KeepsOrder",
                             {Disk(3, u"D:", Digits(2 * GiB)), Disk(5, u"F:", u"0"), Disk(3, u"C:", Digits(GiB / 2)),
                              Disk(3, u"E:", u"0")},
                             {{2.0, u"D:"}, {0.5, u"C:"}, {0.0, u"E:"}}},
                    DiskCase{"HundredGigabytes", {Disk(3, u"C:", Digits(100 * GiB))}, {{100.0, u"C:"}}},
                    DiskCase{"TrailingTextIgnored", {Disk(3, u"C:", u"123abc")}, {{123.0 / GiB, u"C:"}}},
                    DiskCase{"EmptyFreeSpaceIsZero", {Disk(3, u"C:", u"")}, {{0.0, u"C:"}}},
                    DiskCase{"AbsentFreeSpaceIsZero", {{{u"DriveType", 3u}, {u"DeviceID", u"C:"}}}, {{0.0, u"C:"}}},
                    DiskCase{
                        "UnreadableFreeSpaceIsZero",
                        {Disk(3, u"C:", u"unknown"), Disk(3, u"D:", u"18446744073709551616"), Disk(3, u"E:", u"64")},
                        {{0.0, u"C:"}, {0.0, u"D:"}, {64.0 / GiB, u"E:"}}},
                    DiskCase{"LargestFreeSpace", {Disk(3, u"C:", u"18446744073709551615")}, {{16.0 * GiB, u"C:"}}}),
    [](const testing::TestParamInfo<DiskCase>& param) { return param.param.name; });

TEST(MemoryInfoWmiQueryTest, ConvertsBytesToGigabytesAndCopiesTheName)
{
    const MemoryInfo sixteen =
        ParseObjects(MemoryInfoWmiQuery(), {{{u"TotalPhysicalMemory", Digits(16 * GiB)}, {u"Name", u"BUILD-07"}},
                                            {{u"TotalPhysicalMemory", u"1"}, {u"Name", u"OTHER"}}});
    EXPECT_EQ(sixteen, (MemoryInfo{16.0, u"BUILD-07"}));

    const MemoryInfo eightAndAHalf =
        ParseObjects(MemoryInfoWmiQuery(), {{{u"TotalPhysicalMemory", Digits(17 * GiB / 2)}}});
    EXPECT_EQ(eightAndAHalf, (MemoryInfo{8.5, u""}));
}

TEST(MemoryInfoWmiQueryTest, UnreadableMemorySizeRaisesTheConversionError)
{
    EXPECT_EQ(ErrorOf<std::invalid_argument>([] {
                  ParseObjects(MemoryInfoWmiQuery(), {{{u"Name", u"PC"}}});
              }),
              "invalid stoull argument");
    EXPECT_EQ(ErrorOf<std::out_of_range>([] {
                  ParseObjects(MemoryInfoWmiQuery(), {{{u"TotalPhysicalMemory", u"18446744073709551616"}}});
              }),
              "stoull argument out of range");
}

TEST(WmiQueriesTest, NeededPropertyThatCannotBeFetchedSaysWhatFailedWithItsHresult)
{
    EXPECT_EQ(ErrorOf<std::runtime_error>([] {
                  ParseObjects(MemoryInfoWmiQuery(), {{{u"TotalPhysicalMemory", FakeWmiValue::FetchFailed(NotFound)}}});
              }),
              "Reading TotalPhysicalMemory of Win32_ComputerSystem failed (HRESULT 0x80041002)");
    EXPECT_EQ(ErrorOf<std::runtime_error>([] {
                  ParseObjects(OSInfoWmiQuery(), {{{u"Version", FakeWmiValue::FetchFailed(NotFound)}}});
              }),
              "Reading Version of Win32_OperatingSystem failed (HRESULT 0x80041002)");
}

TEST(WmiQueriesTest, OtherPropertiesThatCannotBeFetchedReadAsAbsent)
{
    const FakeWmiValue failed = FakeWmiValue::FetchFailed(NotFound);
    EXPECT_EQ(ParseObjects(DiskInfoWmiQuery(), {{{u"DriveType", 3u}, {u"DeviceID", failed}, {u"FreeSpace", failed}}}),
              (std::vector<DiskInfo>{{0.0, u""}}));
    EXPECT_EQ(
        ParseObjects(OSInfoWmiQuery(), {{{u"Version", u"6.1"}, {u"CSDVersion", failed}, {u"ProductType", failed}}}),
        (OSInfo{6, 1, 0, u"", true}));
}

TEST(VideoMemoryWmiQueryTest, ReadsTheFirstAdapterAsUnsignedMegabytes)
{
    struct Case {
        FakeWmiProperties controller;
        std::int64_t expectedMB;
    };
    const std::vector<Case> cases = {
        {{{u"AdapterRAM", 4293918720u}}, 4095},
        {{{u"AdapterRAM", 0xFFFFFFFFu}}, 4095},
        {{{u"AdapterRAM", 1073741824u}}, 1024},
        {{{u"AdapterRAM", 2u * 1024 * 1024 - 1}}, 1},
        {{{u"AdapterRAM", 0u}}, 0},
        {{}, 0},
        // A 64-bit count (not what WMI sends today) is read whole.
        {{{u"AdapterRAM", FakeWmiValue::Integer64(8ULL << 30)}}, 8192},
        {{{u"AdapterRAM", FakeWmiValue::FetchFailed(NotFound)}}, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseObjects(VideoMemoryWmiQuery(), {c.controller, {{u"AdapterRAM", 1073741824u}}}).adapterRamMB,
                  c.expectedMB);
    }
}

struct OSCase {
    FakeWmiProperties system;
    OSInfo expected;
};

class OSInfoWmiQueryTest : public testing::TestWithParam<OSCase> {};

TEST_P(OSInfoWmiQueryTest, ReadsVersionServicePackCaptionAndProductType)
{
    EXPECT_EQ(ParseObjects(OSInfoWmiQuery(), {GetParam().system}), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OSInfoWmiQueryTest,
    testing::Values(OSCase{{{u"Version", u"6.1.7601"},
                            {u"CSDVersion", u"Service Pack 1"},
                            {u"Caption", u" Client Edition "},
                            {u"ProductType", 1u}},
                           {6, 1, 1, u" Client Edition ", false}},
                    OSCase{{{u"Version", u"6.2.9200"}, {u"Caption", u"Domain Edition"}, {u"ProductType", 2u}},
                           {6, 2, 0, u"Domain Edition", true}},
                    OSCase{
                        {{u"Version", u"6.3.9600"}, {u"CSDVersion", u"Service Pack 2, v.3244"}, {u"ProductType", 3u}},
                        {6, 3, 2, u"", true}},
                    OSCase{{{u"Version", u"10.0.14393"}, {u"CSDVersion", u"Service Pack"}, {u"ProductType", 1u}},
                           {10, 0, 0, u"", false}},
                    // A product type that is not there reads as 0, which is not a workstation.
                    OSCase{{{u"Version", u"5.2.3790"}}, {5, 2, 0, u"", true}}));

TEST(OSInfoWmiQueryTest, UnreadableVersionRaisesTheConversionError)
{
    EXPECT_EQ(ErrorOf<std::invalid_argument>([] {
                  ParseObjects(OSInfoWmiQuery(), {{{u"ProductType", 1u}}});
              }),
              "invalid stoul argument");
}

struct VersionCase {
    std::u16string version;
    std::u16string servicePack;
    OSVersion expected;
};

class ParseVersionTest : public testing::TestWithParam<VersionCase> {};

TEST_P(ParseVersionTest, TakesMajorMinorAndServicePack)
{
    EXPECT_EQ(OSInfoWmiQuery::ParseVersion(GetParam().version, GetParam().servicePack), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParseVersionTest,
                         testing::Values(VersionCase{u"6.1.7601", u"Service Pack 1", {6, 1, 1}},
                                         VersionCase{u"10.0.14393", u"", {10, 0, 0}},
                                         VersionCase{u"6.3.9600", u"Service Pack 2, v.3244", {6, 3, 2}},
                                         VersionCase{u"6.0", u"Service Pack 12", {6, 0, 12}},
                                         VersionCase{u"5.1.2600", u"Service Pack", {5, 1, 0}},
                                         VersionCase{u"5.1.2600", u"Service Pack  ", {5, 1, 0}},
                                         VersionCase{u"5.1.2600", u"service pack 3", {5, 1, 0}},
                                         VersionCase{u" 6. 1.x", u"", {6, 1, 0}},
                                         VersionCase{u"4294967295.7", u"", {4294967295u, 7, 0}}));

TEST(ParseVersionTest, UnreadableVersionPiecesRaiseTheConversionErrors)
{
    EXPECT_EQ(ErrorOf<std::invalid_argument>([] { OSInfoWmiQuery::ParseVersion(u"", u""); }), "invalid stoul argument");
    EXPECT_EQ(ErrorOf<std::invalid_argument>([] { OSInfoWmiQuery::ParseVersion(u"6.x.1", u""); }),
              "invalid stoul argument");
    EXPECT_EQ(ErrorOf<std::invalid_argument>([] { OSInfoWmiQuery::ParseVersion(u"10", u""); }),
              "invalid stoul argument");
    EXPECT_EQ(ErrorOf<std::out_of_range>([] { OSInfoWmiQuery::ParseVersion(u"6.4294967296.1", u""); }),
              "stoul argument out of range");
    EXPECT_EQ(ErrorOf<std::out_of_range>([] { OSInfoWmiQuery::ParseVersion(u"6.1", u"Service Pack 4294967296"); }),
              "stoul argument out of range");
}

} // namespace
} // namespace Talvane::Nimlo
