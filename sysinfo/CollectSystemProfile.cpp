#include "sysinfo/CollectSystemProfile.h"

#include "sysinfo/RegistryProbes.h"
#include "sysinfo/WmiQueries.h"
#include "sysinfo/WmiQuery.h"

namespace Talvane::Nimlo {

SystemProfile CollectSystemProfile(WmiService& wmi, Registry& registry, std::uint32_t logicalProcessorCount)
{
    const CpuInfo cpu = Execute(wmi, CpuInfoWmiQuery(logicalProcessorCount));
    const std::vector<DiskInfo> disks = Execute(wmi, DiskInfoWmiQuery());
    const MemoryInfo memory = Execute(wmi, MemoryInfoWmiQuery());
    const VideoMemoryInfo video = Execute(wmi, VideoMemoryWmiQuery());
    const OSInfo os = Execute(wmi, OSInfoWmiQuery());
    const DotNetInfo dotNet = ProbeDotNet(registry);
    const std::u16string internetExplorer = ProbeInternetExplorer(registry);
    const std::vector<RuntimeStatus> runtimes = ProbeCppRuntimes(registry);
    return SystemProfile(cpu, disks, memory, os, video, internetExplorer, dotNet, runtimes, memory.Name());
}

} // namespace Talvane::Nimlo
