#include "sysinfo/SystemProfile.h"

namespace Talvane::Nimlo {

SystemProfile::SystemProfile(const CpuInfo& cpu, const std::vector<DiskInfo>& disks, const MemoryInfo& memory,
                             const OSInfo& os, const VideoMemoryInfo& videoMemory,
                             const std::u16string& internetExplorerVersion, const DotNetInfo& dotNet,
                             const std::vector<RuntimeStatus>& runtimes, const std::u16string& computerName)
    : cpu_(cpu)
    , disks_(disks)
    , memory_(memory)
    , os_(os)
    , videoMemory_(videoMemory)
    , dotNet_(dotNet)
    , internetExplorerVersion_(internetExplorerVersion)
    , runtimes_(runtimes)
    , computerName_(computerName)
{}

} // namespace Talvane::Nimlo
