#include "sysinfo/RegistryProbes.h"

#include <gtest/gtest.h>

#include <functional>

#include "fakes/FakeRegistry.h"
#include "sysinfo/CppRuntimeKeys.h"

namespace Talvane::Nimlo {
namespace {

using Testing::FakeRegistry;
using View = FakeRegistry::View;

const std::u16string DotNetKey = u"Software\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full";
const std::u16string BrowserKey = u"Software\\Microsoft\\Internet Explorer";
constexpr long AccessDenied = 5;

// Every successful open was matched by exactly one close, and there was at
// least one.
void ExpectEveryKeyClosedOnce(const FakeRegistry& registry)
{
    EXPECT_FALSE(registry.closes.empty()) << "no key was opened";
    EXPECT_TRUE(registry.HandlesNotClosedOnce().empty());
}

void ExpectMasks(const FakeRegistry& registry, std::uint32_t mask)
{
    ASSERT_FALSE(registry.opens.empty());
    for (const FakeRegistry::Open& open : registry.opens) {
        EXPECT_EQ(open.mask, mask) << "opening " << open.path.size() << "-unit path";
    }
}

// ---------------------------------------------------------------- .NET

struct DotNetCase {
    const char* name;
    std::function<void(FakeRegistry::Key&)> fill;
    DotNetInfo expected;
};

class DotNetKeyContents : public testing::TestWithParam<DotNetCase> {};

TEST_P(DotNetKeyContents, GiveVersionAndRelease)
{
    FakeRegistry registry(true);
    GetParam().fill(registry.AddKey(DotNetKey));

    EXPECT_EQ(ProbeDotNet(registry), GetParam().expected);
    ExpectEveryKeyClosedOnce(registry);
}

const DotNetInfo NotInstalled{u"Not Installed", 0};

INSTANTIATE_TEST_SUITE_P(
    RegistryProbesTest, DotNetKeyContents,
    testing::Values(
        DotNetCase{"ReleaseAndVersion",
                   [](auto& key) { key.Dword(u"Release", 393295).Text(u"Version", u"4.6.01055"); },
                   {u"4.6.01055", 393295}},
        DotNetCase{"ReleaseIsLittleEndian",
                   [](auto& key) {
                       key.Set(u"Release", {std::byte{0x01}, std::byte{0x02}, std::byte{0x03}, std::byte{0x84}})
                           .Text(u"Version", u"4.8");
                   },
                   {u"4.8", 0x84030201u}},
        DotNetCase{"VersionOfElevenUnitsFits",
                   [](auto& key) { key.Dword(u"Release", 461808).Text(u"Version", u"4.7.02053.1"); },
                   {u"4.7.02053.1", 461808}},
        DotNetCase{"VersionOfTwelveUnitsDoesNotFitAndDropsRelease",
                   [](auto& key) { key.Dword(u"Release", 461808).Text(u"Version", u"4.7.02053.12"); }, NotInstalled},
        DotNetCase{"ReleaseWithoutVersion", [](auto& key) { key.Dword(u"Release", 461808); }, NotInstalled},
        DotNetCase{"VersionWithoutRelease", [](auto& key) { key.Text(u"Version", u"4.5.51209"); }, {u"4.5.51209", 0}},
        DotNetCase{"EmptyVersionIsInstalled",
                   [](auto& key) { key.Dword(u"Release", 378389).Text(u"Version", u""); },
                   {u"", 378389}},
        DotNetCase{"NoValuesAtAll", [](auto&) {}, NotInstalled},
        DotNetCase{"ReleaseTooLargeCountsAsZero",
                   [](auto& key) {
                       key.Set(u"Release", FakeRegistry::LittleEndian(7)).Text(u"Version", u"4.8");
                       key.values[u"Release"].bytes.resize(8);
                   },
                   {u"4.8", 0}},
        DotNetCase{"FailedReleaseReadIgnoresItsBytes",
                   [](auto& key) {
                       key.Dword(u"Release", 528040).Text(u"Version", u"4.8.03761").Fail(u"Release", AccessDenied);
                   },
                   {u"4.8.03761", 0}},
        DotNetCase{"FailedVersionReadIgnoresItsBytes",
                   [](auto& key) {
                       key.Dword(u"Release", 528040).Text(u"Version", u"4.8.03761").Fail(u"Version", AccessDenied);
                   },
                   NotInstalled},
        DotNetCase{"VersionWithoutTerminatingZero",
                   [](auto& key) { key.Set(u"Version", FakeRegistry::Utf16(u"4.5.2")); },
                   {u"4.5.2", 0}},
        DotNetCase{"VersionEndsAtFirstZeroUnit",
                   [](auto& key) { key.Set(u"Version", FakeRegistry::Utf16Z(std::u16string(u"4.6\0junk", 8))); },
                   {u"4.6", 0}},
        DotNetCase{"TrailingOddByteIgnored",
                   [](auto& key) {
                       auto bytes = FakeRegistry::Utf16(u"4.6.1");
                       bytes.push_back(std::byte{0x41});
                       key.Set(u"Version", bytes);
                   },
                   {u"4.6.1", 0}},
        DotNetCase{"NothingBeyondTheReportedSize",
                   [](auto& key) {
                       key.Text(u"Version", u"4.6.01055");
                       key.values[u"Version"].size = 6;
                   },
                   {u"4.6", 0}},
        DotNetCase{"NothingBeyondTheBuffer",
                   [](auto& key) {
                       key.Set(u"Version", FakeRegistry::Utf16(u"4.7.02053.12"));
                       key.values[u"Version"].size = 100;
                   },
                   {u"4.7.02053.12", 0}}),
    [](const testing::TestParamInfo<DotNetCase>& row) { return std::string(row.param.name); });

TEST(RegistryProbesTest, DotNetReadsReleaseThenVersionWithTheirRoom)
{
    FakeRegistry registry(false);
    registry.AddKey(DotNetKey).Dword(u"Release", 1).Text(u"Version", u"4.0");

    ProbeDotNet(registry);

    ASSERT_EQ(registry.reads.size(), 2u);
    EXPECT_EQ(registry.reads[0].name, u"Release");
    EXPECT_EQ(registry.reads[0].room, 4u);
    EXPECT_EQ(registry.reads[1].name, u"Version");
    EXPECT_EQ(registry.reads[1].room, 24u);
}

TEST(RegistryProbesTest, DotNetKeyThatDoesNotOpen)
{
    FakeRegistry missing(true);
    EXPECT_EQ(ProbeDotNet(missing), NotInstalled);

    FakeRegistry denied(true);
    denied.AddKey(DotNetKey).Dword(u"Release", 1).Text(u"Version", u"4.0").openStatus = AccessDenied;
    EXPECT_EQ(ProbeDotNet(denied), NotInstalled);
    EXPECT_TRUE(denied.reads.empty());
}

// ---------------------------------------------------------------- browser

struct BrowserCase {
    const char* name;
    std::function<void(FakeRegistry::Key&)> fill;
    std::u16string expected;
    std::vector<std::u16string> reads;
};

class BrowserKeyContents : public testing::TestWithParam<BrowserCase> {};

TEST_P(BrowserKeyContents, GiveVersionText)
{
    FakeRegistry registry(true);
    GetParam().fill(registry.AddKey(BrowserKey));

    EXPECT_EQ(ProbeInternetExplorer(registry), GetParam().expected);
    EXPECT_EQ(registry.ReadNames(), GetParam().reads);
    for (const FakeRegistry::Read& read : registry.reads) {
        EXPECT_EQ(read.room, 260u);
    }
    ExpectEveryKeyClosedOnce(registry);
}

const std::u16string Units129(129, u'9');
const std::u16string Units130(130, u'9');
const std::vector<std::u16string> SvcOnly{u"svcVersion"};
const std::vector<std::u16string> SvcThenVersion{u"svcVersion", u"Version"};

INSTANTIATE_TEST_SUITE_P(
    RegistryProbesTest, BrowserKeyContents,
    testing::Values(
        BrowserCase{"SvcVersionWins",
                    [](auto& key) { key.Text(u"svcVersion", u"11.0.9600.18817").Text(u"Version", u"9.11.9600.18817"); },
                    u"11.0.9600.18817", SvcOnly},
        BrowserCase{"OnlyVersion", [](auto& key) { key.Text(u"Version", u"9.0.8112.16421"); }, u"9.0.8112.16421",
                    SvcThenVersion},
        BrowserCase{"Neither", [](auto&) {}, u"0.Unknown", SvcThenVersion},
        BrowserCase{"SvcVersionThatDoesNotFitDoesNotLeadToVersion",
                    [](auto& key) { key.Text(u"svcVersion", Units130).Text(u"Version", u"9.11.9600.18817"); },
                    u"0.Unknown", SvcOnly},
        BrowserCase{"SvcVersionOf129UnitsFits", [](auto& key) { key.Text(u"svcVersion", Units129); }, Units129,
                    SvcOnly},
        BrowserCase{"SvcVersionDeniedDoesNotLeadToVersion",
                    [](auto& key) {
                        key.Text(u"svcVersion", u"11.0").Fail(u"svcVersion", AccessDenied).Text(u"Version", u"9.11");
                    },
                    u"0.Unknown", SvcOnly},
        BrowserCase{"VersionThatDoesNotFit", [](auto& key) { key.Text(u"Version", Units130); }, u"0.Unknown",
                    SvcThenVersion},
        BrowserCase{"VersionReadFails", [](auto& key) { key.Text(u"Version", u"9.11").Fail(u"Version", AccessDenied); },
                    u"0.Unknown", SvcThenVersion},
        BrowserCase{"EmptySvcVersionIsKept", [](auto& key) { key.Text(u"svcVersion", u"").Text(u"Version", u"9.11"); },
                    u"", SvcOnly},
        BrowserCase{"TextAsHeldNotTrimmed", [](auto& key) { key.Text(u"svcVersion", u" 11.0\u4E00x "); },
                    u" 11.0\u4E00x ", SvcOnly},
        BrowserCase{"TextEndsAtFirstZeroUnit",
                    [](auto& key) { key.Set(u"Version", FakeRegistry::Utf16Z(std::u16string(u"8.0\0.1", 6))); }, u"8.0",
                    SvcThenVersion}),
    [](const testing::TestParamInfo<BrowserCase>& row) { return std::string(row.param.name); });

TEST(RegistryProbesTest, BrowserKeyThatDoesNotOpen)
{
    FakeRegistry missing(false);
    EXPECT_EQ(ProbeInternetExplorer(missing), u"0");

    FakeRegistry denied(false);
    denied.AddKey(BrowserKey).Text(u"svcVersion", u"11.0").openStatus = AccessDenied;
    EXPECT_EQ(ProbeInternetExplorer(denied), u"0");
    EXPECT_TRUE(denied.reads.empty());
}

// ---------------------------------------------------------------- views

TEST(RegistryProbesTest, On64BitWindowsBothProbesReadTheNativeView)
{
    FakeRegistry registry(true);
    registry.AddKey(DotNetKey).Dword(u"Release", 461808).Text(u"Version", u"4.7.02053");
    registry.AddKey(BrowserKey).Text(u"svcVersion", u"11.0.9600.18817");
    // What the redirected 32-bit view holds must not be seen.
    registry.AddKey(View::Redirected, DotNetKey).Dword(u"Release", 1).Text(u"Version", u"wrong");
    registry.AddKey(View::Redirected, BrowserKey).Text(u"svcVersion", u"wrong");

    EXPECT_EQ(ProbeDotNet(registry), (DotNetInfo{u"4.7.02053", 461808}));
    EXPECT_EQ(ProbeInternetExplorer(registry), u"11.0.9600.18817");
    ExpectMasks(registry, 0x20119);
    EXPECT_EQ(registry.wow64Questions, 2);
}

TEST(RegistryProbesTest, On64BitWindowsKeysOnlyInTheRedirectedViewAreNotSeen)
{
    FakeRegistry registry(true);
    registry.AddKey(View::Redirected, DotNetKey).Dword(u"Release", 1).Text(u"Version", u"4.0");
    registry.AddKey(View::Redirected, BrowserKey).Text(u"svcVersion", u"8.0");

    EXPECT_EQ(ProbeDotNet(registry), NotInstalled);
    EXPECT_EQ(ProbeInternetExplorer(registry), u"0");
}

TEST(RegistryProbesTest, On32BitWindowsBothProbesUseThePlainMask)
{
    FakeRegistry registry(false);
    registry.AddKey(DotNetKey).Dword(u"Release", 378675).Text(u"Version", u"4.5.51641");
    registry.AddKey(BrowserKey).Text(u"Version", u"8.0.6001.18702");

    EXPECT_EQ(ProbeDotNet(registry), (DotNetInfo{u"4.5.51641", 378675}));
    EXPECT_EQ(ProbeInternetExplorer(registry), u"8.0.6001.18702");
    ExpectMasks(registry, 0x20019);
    EXPECT_EQ(registry.OpenedPaths(), (std::vector<std::u16string>{DotNetKey, BrowserKey}));
}

TEST(RegistryProbesTest, EachProbeAsksForTheViewAfresh)
{
    FakeRegistry registry(true);
    registry.AddKey(DotNetKey);
    registry.AddKey(BrowserKey);
    registry.wow64Answers = {false, true};

    ProbeDotNet(registry);
    ProbeInternetExplorer(registry);

    ASSERT_EQ(registry.opens.size(), 2u);
    EXPECT_EQ(registry.opens[0].mask, 0x20019u);
    EXPECT_EQ(registry.opens[1].mask, 0x20119u);
}

// ---------------------------------------------------------------- C++ runtimes

std::vector<RuntimeStatus> Expected(const std::vector<bool>& installed)
{
    std::vector<RuntimeStatus> rows;
    for (std::size_t i = 0; i < CppRuntimeKeys.size(); ++i) {
        rows.push_back({CppRuntimeKeys[i].name, installed.at(i)});
    }
    return rows;
}

std::vector<std::u16string> Column(bool on64BitWindows)
{
    std::vector<std::u16string> keys;
    keys.reserve(CppRuntimeKeys.size());
    for (const CppRuntimeKey& row : CppRuntimeKeys) {
        keys.emplace_back(on64BitWindows ? row.keyOn64Bit : row.keyOn32Bit);
    }
    return keys;
}

class RuntimesOnEitherWindows : public testing::TestWithParam<bool> {};

TEST_P(RuntimesOnEitherWindows, NoneInstalledGivesEightRowsInTableOrder)
{
    FakeRegistry registry(GetParam());

    EXPECT_EQ(ProbeCppRuntimes(registry), Expected({false, false, false, false, false, false, false, false}));
    EXPECT_EQ(registry.OpenedPaths(), Column(GetParam()));
}

TEST_P(RuntimesOnEitherWindows, AllInstalledAreReadThroughTheViewOfTheMachine)
{
    const bool on64BitWindows = GetParam();
    FakeRegistry registry(on64BitWindows);
    for (const std::u16string& key : Column(on64BitWindows)) {
        registry.AddKey(key);
    }

    EXPECT_EQ(ProbeCppRuntimes(registry), Expected({true, true, true, true, true, true, true, true}));
    EXPECT_EQ(registry.OpenedPaths(), Column(on64BitWindows));
    ExpectMasks(registry, on64BitWindows ? 0x20119 : 0x20019);
    ExpectEveryKeyClosedOnce(registry);
    EXPECT_EQ(registry.closes.size(), 8u);
    EXPECT_TRUE(registry.reads.empty());
}

TEST_P(RuntimesOnEitherWindows, KeysOfTheOtherColumnDoNotCount)
{
    const bool on64BitWindows = GetParam();
    FakeRegistry registry(on64BitWindows);
    for (const std::u16string& key : Column(!on64BitWindows)) {
        registry.AddKey(key);
    }

    // Rows 1 and 2 are the same key in both columns.
    EXPECT_EQ(ProbeCppRuntimes(registry), Expected({true, true, false, false, false, false, false, false}));
}

INSTANTIATE_TEST_SUITE_P(RegistryProbesTest, RuntimesOnEitherWindows, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& machine) {
                             return std::string(machine.param ? "On64BitWindows" : "On32BitWindows");
                         });

TEST(RegistryProbesTest, Runtime2015X86OnlyUnderThePlainPathOn64BitWindowsIsNotInstalled)
{
    FakeRegistry registry(true);
    registry.AddKey(View::Native, CppRuntimeKeys[6].keyOn32Bit);
    registry.AddKey(View::Redirected, CppRuntimeKeys[6].keyOn32Bit);
    registry.AddKey(View::Redirected, CppRuntimeKeys[6].keyOn64Bit);
    registry.AddKey(CppRuntimeKeys[7].keyOn64Bit);

    EXPECT_EQ(ProbeCppRuntimes(registry), Expected({false, false, false, false, false, false, false, true}));
}

TEST(RegistryProbesTest, RuntimeKeyThatCannotBeOpenedIsNotInstalledAndOthersGoOn)
{
    FakeRegistry registry(true);
    registry.AddKey(CppRuntimeKeys[0].keyOn64Bit);
    registry.AddKey(CppRuntimeKeys[2].keyOn64Bit).openStatus = AccessDenied;
    registry.AddKey(CppRuntimeKeys[3].keyOn64Bit).openStatus = 1018; // key marked for deletion
    registry.AddKey(CppRuntimeKeys[4].keyOn64Bit).Text(u"Installed", u"1");
    registry.AddKey(CppRuntimeKeys[7].keyOn64Bit);

    EXPECT_EQ(ProbeCppRuntimes(registry), Expected({true, false, false, false, true, false, false, true}));
    EXPECT_EQ(registry.opens.size(), 8u);
    ExpectEveryKeyClosedOnce(registry);
}

TEST(RegistryProbesTest, RuntimeColumnIsChosenOnceAndEachKeyAsksForTheViewAgain)
{
    FakeRegistry registry(false);
    registry.wow64Answers = {true, false, true, false, true, false, true, false, true};

    ProbeCppRuntimes(registry);

    EXPECT_EQ(registry.wow64Questions, 9);
    EXPECT_EQ(registry.OpenedPaths(), Column(true));
    ASSERT_EQ(registry.opens.size(), 8u);
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(registry.opens[i].mask, i % 2 == 0 ? 0x20019u : 0x20119u) << "row " << i + 1;
    }
}

} // namespace
} // namespace Talvane::Nimlo
