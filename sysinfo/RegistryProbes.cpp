#include "sysinfo/RegistryProbes.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "sysinfo/CppRuntimeKeys.h"

namespace Talvane::Nimlo {
namespace {

const std::u16string DotNetKey = u"Software\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full";
const std::u16string InternetExplorerKey = u"Software\\Microsoft\\Internet Explorer";

const std::u16string DotNetNotInstalled = u"Not Installed";
const std::u16string InternetExplorerMissing = u"0";
const std::u16string InternetExplorerUnknown = u"0.Unknown";

// Room given to each value read, in bytes.
constexpr std::size_t ReleaseRoom = 4;
constexpr std::size_t DotNetVersionRoom = 24;     // 11 UTF-16 units and the terminating zero
constexpr std::size_t InternetExplorerRoom = 260; // 129 UTF-16 units and the terminating zero

// Opens `path` in the view of the registry view rule, asked afresh; empty
// unless the registry reports success and hands out the key.
std::unique_ptr<RegistryKey> OpenKey(Registry& registry, const std::u16string& path)
{
    KeyOpen opened = registry.OpenLocalMachineKey(path, RegistryView(registry));
    if (opened.status != RegistrySuccess) {
        return nullptr;
    }
    return std::move(opened.key);
}

bool KeyExists(Registry& registry, const std::u16string& path)
{
    return OpenKey(registry, path) != nullptr;
}

// A value read with a fixed room: the status and the bytes the registry
// reported, never more than the room.
template <std::size_t Room> struct RoomValue {
    std::array<std::byte, Room> bytes{};
    std::size_t size = 0;
    long status = RegistrySuccess;

    void From(RegistryKey& key, const std::u16string& name)
    {
        bytes.fill(std::byte{0});
        const ValueRead read = key.QueryValue(name, bytes);
        status = read.status;
        size = std::min<std::size_t>(read.size, Room);
    }

    bool Succeeded() const { return status == RegistrySuccess; }

    // The UTF-16 (little-endian) units read, up to the first zero unit; a
    // trailing odd byte is ignored.
    std::u16string Text() const
    {
        std::u16string text;
        for (std::size_t i = 0; i + 1 < size; i += 2) {
            const auto unit = static_cast<char16_t>(std::to_integer<unsigned>(bytes[i]) |
                                                    (std::to_integer<unsigned>(bytes[i + 1]) << 8));
            if (unit == u'\0') {
                break;
            }
            text.push_back(unit);
        }
        return text;
    }

    // The first four bytes as a little-endian number; bytes the registry did
    // not write count as zero.
    std::uint32_t Number() const requires(Room >= 4)
    {
        std::uint32_t number = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            const std::uint32_t byte = i < size ? std::to_integer<std::uint32_t>(bytes[i]) : 0u;
            number |= byte << (8 * i);
        }
        return number;
    }
};

} // namespace

DotNetInfo ProbeDotNet(Registry& registry)
{
    const std::unique_ptr<RegistryKey> key = OpenKey(registry, DotNetKey);
    if (!key) {
        return {DotNetNotInstalled, 0};
    }

    RoomValue<ReleaseRoom> release;
    release.From(*key, u"Release");
    RoomValue<DotNetVersionRoom> version;
    version.From(*key, u"Version");

    if (!version.Succeeded()) {
        return {DotNetNotInstalled, 0};
    }
    return {version.Text(), release.Succeeded() ? release.Number() : 0u};
}

std::u16string ProbeInternetExplorer(Registry& registry)
{
    const std::unique_ptr<RegistryKey> key = OpenKey(registry, InternetExplorerKey);
    if (!key) {
        return InternetExplorerMissing;
    }

    RoomValue<InternetExplorerRoom> value;
    value.From(*key, u"svcVersion");
    if (value.status == RegistryNotFound) {
        value.From(*key, u"Version");
    }
    return value.Succeeded() ? value.Text() : InternetExplorerUnknown;
}

std::vector<RuntimeStatus> ProbeCppRuntimes(Registry& registry)
{
    std::vector<RuntimeStatus> runtimes;
    runtimes.reserve(CppRuntimeKeys.size());
    const bool on64BitWindows = registry.IsWow64Process();
    for (const CppRuntimeKey& row : CppRuntimeKeys) {
        const std::u16string path = on64BitWindows ? row.keyOn64Bit : row.keyOn32Bit;
        runtimes.push_back({row.name, KeyExists(registry, path)});
    }
    return runtimes;
}

} // namespace Talvane::Nimlo
