// The registry probes against the real registry of the machine the tests run
// on. Every key the tests create is deleted again and every value they touch
// is put back as it was, also when an expectation fails.

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/WideString.h"
#include "platform/win32/Win32Registry.h"
#include "sysinfo/CppRuntimeKeys.h"
#include "sysinfo/RegistryProbes.h"

namespace Talvane::Nimlo {
namespace {

const std::u16string DotNetKey = u"Software\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full";
const std::u16string BrowserKey = u"Software\\Microsoft\\Internet Explorer";

bool OnWow64()
{
    Win32Registry registry;
    return registry.IsWow64Process();
}

// The view the probes read: the native 64-bit one for a 32-bit process on
// 64-bit Windows.
REGSAM ProbedView()
{
    return OnWow64() ? KEY_WOW64_64KEY : 0;
}

bool KeyExists(const std::u16string& path)
{
    UniqueKey key;
    return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, AsWide(path), 0, KEY_READ | ProbedView(), key.put()) == ERROR_SUCCESS;
}

LSTATUS SetText(HKEY key, const std::u16string& name, const std::u16string& text)
{
    const auto bytes = static_cast<DWORD>(text.size() + 1) * static_cast<DWORD>(sizeof(char16_t));
    return ::RegSetValueExW(key, AsWide(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes);
}

LSTATUS SetDword(HKEY key, const std::u16string& name, DWORD number)
{
    return ::RegSetValueExW(key, AsWide(name), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

void DeleteValue(HKEY key, const std::u16string& name)
{
    ::RegDeleteValueW(key, AsWide(name));
}

// Opens `path` in the probed view for writing, creating it and any missing
// parents. Deletes, at the end, the outermost key it had to create.
class TemporaryKey {
public:
    explicit TemporaryKey(const std::u16string& path)
    {
        for (std::size_t end = path.find(u'\\');; end = path.find(u'\\', end + 1)) {
            const std::u16string prefix = path.substr(0, end);
            if (!KeyExists(prefix)) {
                created_ = prefix;
                break;
            }
            if (end == std::u16string::npos) {
                break;
            }
        }
        status_ = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, AsWide(path), 0, nullptr, 0, KEY_ALL_ACCESS | ProbedView(),
                                    nullptr, key_.put(), nullptr);
    }

    ~TemporaryKey()
    {
        key_.reset();
        if (created_.empty()) {
            return;
        }
        UniqueKey top;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, AsWide(created_), 0, KEY_ALL_ACCESS | ProbedView(), top.put()) ==
            ERROR_SUCCESS) {
            ::RegDeleteTreeW(top.get(), nullptr);
        }
        top.reset();
        ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, AsWide(created_), ProbedView(), 0);
    }

    TemporaryKey(const TemporaryKey&) = delete;
    TemporaryKey& operator=(const TemporaryKey&) = delete;

    LSTATUS Status() const { return status_; }
    HKEY get() const { return key_.get(); }

private:
    UniqueKey key_;
    std::u16string created_;
    LSTATUS status_ = ERROR_SUCCESS;
};

// Remembers a value as it was (or that it did not exist) and puts it back.
class SavedValue {
public:
    SavedValue(HKEY key, std::u16string name) : key_(key), name_(std::move(name))
    {
        DWORD size = 0;
        if (::RegQueryValueExW(key_, AsWide(name_), nullptr, &type_, nullptr, &size) != ERROR_SUCCESS) {
            return;
        }
        data_.resize(size);
        existed_ = ::RegQueryValueExW(key_, AsWide(name_), nullptr, &type_, data_.data(), &size) == ERROR_SUCCESS;
        data_.resize(size);
    }

    ~SavedValue()
    {
        if (existed_) {
            ::RegSetValueExW(key_, AsWide(name_), 0, type_, data_.data(), static_cast<DWORD>(data_.size()));
        } else {
            DeleteValue(key_, name_);
        }
    }

    SavedValue(const SavedValue&) = delete;
    SavedValue& operator=(const SavedValue&) = delete;

private:
    HKEY key_;
    std::u16string name_;
    bool existed_ = false;
    DWORD type_ = REG_NONE;
    std::vector<BYTE> data_;
};

TEST(RegistryIntegrationTest, DotNetReleaseAndVersion)
{
    TemporaryKey key(DotNetKey);
    ASSERT_EQ(key.Status(), ERROR_SUCCESS);
    const SavedValue release(key.get(), u"Release");
    const SavedValue version(key.get(), u"Version");
    Win32Registry registry;

    ASSERT_EQ(SetDword(key.get(), u"Release", 393295), ERROR_SUCCESS);
    ASSERT_EQ(SetText(key.get(), u"Version", u"4.6.01055"), ERROR_SUCCESS);
    EXPECT_EQ(ProbeDotNet(registry), (DotNetInfo{u"4.6.01055", 393295}));

    ASSERT_EQ(SetText(key.get(), u"Version", u"4.7.02053.1"), ERROR_SUCCESS);
    EXPECT_EQ(ProbeDotNet(registry), (DotNetInfo{u"4.7.02053.1", 393295})) << "11 units fit";

    ASSERT_EQ(SetText(key.get(), u"Version", u"4.7.02053.12"), ERROR_SUCCESS);
    EXPECT_EQ(ProbeDotNet(registry), (DotNetInfo{u"Not Installed", 0})) << "12 units do not fit";

    DeleteValue(key.get(), u"Version");
    EXPECT_EQ(ProbeDotNet(registry), (DotNetInfo{u"Not Installed", 0}));

    DeleteValue(key.get(), u"Release");
    ASSERT_EQ(SetText(key.get(), u"Version", u"4.5.51209"), ERROR_SUCCESS);
    EXPECT_EQ(ProbeDotNet(registry), (DotNetInfo{u"4.5.51209", 0}));
}

TEST(RegistryIntegrationTest, InternetExplorerVersion)
{
    TemporaryKey key(BrowserKey);
    ASSERT_EQ(key.Status(), ERROR_SUCCESS);
    const SavedValue svcVersion(key.get(), u"svcVersion");
    const SavedValue version(key.get(), u"Version");
    Win32Registry registry;

    ASSERT_EQ(SetText(key.get(), u"svcVersion", u"11.0.9600.18817"), ERROR_SUCCESS);
    ASSERT_EQ(SetText(key.get(), u"Version", u"9.11.9600.18817"), ERROR_SUCCESS);
    EXPECT_EQ(ProbeInternetExplorer(registry), u"11.0.9600.18817");

    DeleteValue(key.get(), u"svcVersion");
    EXPECT_EQ(ProbeInternetExplorer(registry), u"9.11.9600.18817");

    ASSERT_EQ(SetText(key.get(), u"svcVersion", std::u16string(130, u'1')), ERROR_SUCCESS);
    EXPECT_EQ(ProbeInternetExplorer(registry), u"0.Unknown") << "a svcVersion that does not fit";

    DeleteValue(key.get(), u"svcVersion");
    DeleteValue(key.get(), u"Version");
    EXPECT_EQ(ProbeInternetExplorer(registry), u"0.Unknown");
}

std::u16string KeyOfThisMachine(const CppRuntimeKey& row)
{
    return OnWow64() ? row.keyOn64Bit : row.keyOn32Bit;
}

std::vector<RuntimeStatus> Rows(const std::array<bool, 8>& installed)
{
    std::vector<RuntimeStatus> rows;
    for (std::size_t i = 0; i < CppRuntimeKeys.size(); ++i) {
        rows.push_back({CppRuntimeKeys[i].name, installed[i]});
    }
    return rows;
}

TEST(RegistryIntegrationTest, CppRuntimesAreTheKeysThatExist)
{
    std::array<bool, 8> before{};
    for (std::size_t i = 0; i < CppRuntimeKeys.size(); ++i) {
        before[i] = KeyExists(KeyOfThisMachine(CppRuntimeKeys[i]));
    }
    Win32Registry registry;
    ASSERT_EQ(ProbeCppRuntimes(registry), Rows(before));

    {
        // 2008 x86, 2010 x64 and 2015 x86, keys without values.
        const TemporaryKey x86_2008(KeyOfThisMachine(CppRuntimeKeys[0]));
        const TemporaryKey x64_2010(KeyOfThisMachine(CppRuntimeKeys[3]));
        const TemporaryKey x86_2015(KeyOfThisMachine(CppRuntimeKeys[6]));
        ASSERT_EQ(x86_2008.Status(), ERROR_SUCCESS);
        ASSERT_EQ(x64_2010.Status(), ERROR_SUCCESS);
        ASSERT_EQ(x86_2015.Status(), ERROR_SUCCESS);

        std::array<bool, 8> expected = before;
        expected[0] = expected[3] = expected[6] = true;
        EXPECT_EQ(ProbeCppRuntimes(registry), Rows(expected));
    }

    EXPECT_EQ(ProbeCppRuntimes(registry), Rows(before)) << "the keys created are gone again";
}

TEST(RegistryIntegrationTest, On64BitWindowsThePlainRuntimePathDoesNotCount)
{
    if (!OnWow64()) {
        GTEST_SKIP() << "32-bit Windows has no WOW6432Node paths";
    }
    Win32Registry registry;
    const bool before = KeyExists(CppRuntimeKeys[7].keyOn64Bit);

    const TemporaryKey plain(CppRuntimeKeys[7].keyOn32Bit);
    ASSERT_EQ(plain.Status(), ERROR_SUCCESS);

    EXPECT_EQ(ProbeCppRuntimes(registry).at(7), (RuntimeStatus{CppRuntimeKeys[7].name, before}));
}

} // namespace
} // namespace Talvane::Nimlo
