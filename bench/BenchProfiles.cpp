#include "BenchProfiles.h"

#include <vector>

#include "fakes/Profiles.h"
#include "report/ReportBody.h"
#include "report/ReportTemplate.h"

namespace Talvane::Nimlo::Bench {
namespace {

// Six of the eight redistributables installed.
std::vector<RuntimeStatus> Runtimes()
{
    return Testing::Runtimes({true, false, true, true, false, true, true, false});
}

} // namespace

SystemProfile TypicalProfile()
{
    const MemoryInfo memory{7.89, u"WS-ACCOUNTS-07"};
    return SystemProfile(CpuInfo{2.6, 4}, {{112.4, u"C:"}, {391.75, u"D:"}}, memory,
                         OSInfo{10, 0, 0, u"Microsoft Windows 10 Pro", false}, VideoMemoryInfo{1024},
                         u"11.0.19041.1566", DotNetInfo{u"4.8.04084", 528372}, Runtimes(), memory.name);
}

SystemProfile ManyDisksProfile()
{
    std::vector<DiskInfo> disks;
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
        disks.push_back({1.5 + 37.25 * (letter - u'A'), std::u16string{letter, u':'}});
    }
    const MemoryInfo memory{64.0, u"SRV-STORAGE-01"};
    return SystemProfile(CpuInfo{3.2, 16}, disks, memory,
                         OSInfo{10, 0, 0, u"Microsoft Windows Server 2019 Datacenter", true}, VideoMemoryInfo{256},
                         u"11.0.17763.1", DotNetInfo{u"4.8.03761", 528049}, Runtimes(), memory.name);
}

SystemProfile PlaceholderFloodProfile()
{
    std::u16string flood;
    while (flood.size() < (std::size_t{1} << 20)) {
        flood += u"{{CHECKBOX_ON}}";
    }
    const MemoryInfo memory{16.0, flood};
    return SystemProfile(CpuInfo{2.6, 4}, {{112.4, u"C:"}}, memory, OSInfo{10, 0, 0, flood, false},
                         VideoMemoryInfo{1024}, u"11.0.19041.1566", DotNetInfo{u"4.8.04084", 528372}, Runtimes(),
                         memory.name);
}

std::string BuildPage(const SystemProfile& profile, const std::string& reportTemplate)
{
    return FillReport(reportTemplate, RenderReportBody(profile), profile.ComputerName());
}

} // namespace Talvane::Nimlo::Bench
