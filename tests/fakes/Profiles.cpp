#include "fakes/Profiles.h"

namespace Talvane::Nimlo::Testing {

std::vector<RuntimeStatus> Runtimes(const std::vector<bool>& installed)
{
    static const char16_t* const names[] = {
        u"Microsoft Visual C++ 2008 Redistributable x86", u"Microsoft Visual C++ 2008 Redistributable x64",
        u"Microsoft Visual C++ 2010 Redistributable x86", u"Microsoft Visual C++ 2010 Redistributable x64",
        u"Microsoft Visual C++ 2013 Redistributable x86", u"Microsoft Visual C++ 2013 Redistributable x64",
        u"Microsoft Visual C++ 2015 Redistributable x86", u"Microsoft Visual C++ 2015 Redistributable x64",
    };
    std::vector<RuntimeStatus> runtimes;
    for (std::size_t i = 0; i < installed.size() && i < std::size(names); ++i) {
        runtimes.push_back({names[i], installed[i]});
    }
    return runtimes;
}

SystemProfile AllPassProfile()
{
    const MemoryInfo memory{16.0, u"SRV-Z\u00DCRICH"};
    return SystemProfile(CpuInfo{3.401, 8}, {{80.25, u"C:"}, {1.5, u"D:"}}, memory,
                         OSInfo{10, 0, 0, u"Microsoft Windows Server 2016 Standard", true}, VideoMemoryInfo{4096},
                         u"11.0.9600.18817", DotNetInfo{u"4.7.02053", 461310}, Runtimes(std::vector<bool>(8, true)),
                         memory.name);
}

SystemProfile AllFailProfile()
{
    const MemoryInfo memory{0.75, u"WS-\u00C5SA"};
    return SystemProfile(CpuInfo{0.8, 1}, {{1.125, u"C:"}, {0.5, u"E:"}}, memory,
                         OSInfo{6, 1, 0, u"Microsoft Windows 7 Professional ", false}, VideoMemoryInfo{64},
                         u"9.11.9600.18817", DotNetInfo{u"4.5.51209", 379893}, Runtimes(std::vector<bool>(8, false)),
                         memory.name);
}

SystemProfile EmptyProfile()
{
    return SystemProfile(CpuInfo{}, {}, MemoryInfo{}, OSInfo{}, VideoMemoryInfo{}, u"", DotNetInfo{}, {}, u"");
}

} // namespace Talvane::Nimlo::Testing
