#pragma once

#include <string>
#include <vector>

#include "sysinfo/Records.h"

namespace Talvane::Nimlo {

// Everything the assessment knows about the machine. Built once, then only
// read; every accessor hands out a copy.
class SystemProfile {
public:
    // Note the order: the Internet Explorer version comes before the .NET record.
    SystemProfile(const CpuInfo& cpu, const std::vector<DiskInfo>& disks, const MemoryInfo& memory, const OSInfo& os,
                  const VideoMemoryInfo& videoMemory, const std::u16string& internetExplorerVersion,
                  const DotNetInfo& dotNet, const std::vector<RuntimeStatus>& runtimes,
                  const std::u16string& computerName);

    CpuInfo Cpu() const { return cpu_; }
    std::vector<DiskInfo> Disks() const { return disks_; }
    MemoryInfo Memory() const { return memory_; }
    OSInfo Os() const { return os_; }
    VideoMemoryInfo VideoMemory() const { return videoMemory_; }
    DotNetInfo DotNet() const { return dotNet_; }
    std::u16string InternetExplorerVersion() const { return internetExplorerVersion_; }
    std::vector<RuntimeStatus> Runtimes() const { return runtimes_; }
    std::u16string ComputerName() const { return computerName_; }

private:
    CpuInfo cpu_;
    std::vector<DiskInfo> disks_;
    MemoryInfo memory_;
    OSInfo os_;
    VideoMemoryInfo videoMemory_;
    DotNetInfo dotNet_;
    std::u16string internetExplorerVersion_;
    std::vector<RuntimeStatus> runtimes_;
    std::u16string computerName_;
};

} // namespace Talvane::Nimlo
