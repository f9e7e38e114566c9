#include "fakes/RandomProfiles.h"

#include <array>
#include <vector>

#include "fakes/Profiles.h"

namespace Talvane::Nimlo::Testing {
namespace {

constexpr std::array<const char16_t*, 20> Pieces = {
    u"A",
    u"z",
    u"SRV-",
    u"\u00C5sa",
    u"\u03A9\u03BC\u03AD\u03B3\u03B1",
    u"\u65E5\u672C",
    u"&reg;",
    u"&amp;",
    u"<b>",
    u"</b>",
    u"</td>",
    u"<div class=list-div>",
    u"</div>",
    u"'",
    u"\"",
    u">",
    u" ",
    u"~",
    u"4.8.03761",
    u"\U0001F600",
};

} // namespace

std::uint32_t RandomProfiles::Below(std::uint32_t bound)
{
    return std::uniform_int_distribution<std::uint32_t>(0, bound - 1)(random_);
}

double RandomProfiles::Amount(double max)
{
    return std::uniform_real_distribution<double>(0.0, max)(random_);
}

std::u16string RandomProfiles::Text(std::size_t maxPieces)
{
    std::u16string text;
    const std::size_t count = Below(static_cast<std::uint32_t>(maxPieces + 1));
    for (std::size_t i = 0; i < count; ++i) {
        text += Pieces[Below(Pieces.size())];
    }
    return text;
}

SystemProfile RandomProfiles::Next()
{
    std::vector<DiskInfo> disks;
    for (std::uint32_t i = Below(9); i > 0; --i) {
        disks.push_back({Amount(2000.0), Text(3)});
    }
    std::vector<bool> installed;
    for (std::size_t i = 0; i < 8; ++i) {
        installed.push_back(Below(2) == 1);
    }
    const std::uint32_t major = 5 + Below(6);
    const MemoryInfo memory{Amount(64.0), Text(6)};
    const OSInfo os{major, Below(4), Below(4), Text(8), Below(2) == 1};
    return SystemProfile(CpuInfo{Amount(5.0), static_cast<std::int32_t>(Below(65))}, disks, memory, os,
                         VideoMemoryInfo{static_cast<std::int64_t>(Below(16385))}, Text(3),
                         DotNetInfo{Text(2), Below(600000)}, Runtimes(installed), memory.name);
}

} // namespace Talvane::Nimlo::Testing
