#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sysinfo/Records.h"
#include "sysinfo/WmiQuery.h"

namespace Talvane::Nimlo {

// The five WMI queries of the system profile. Each one yields one record (the
// disk query a list), reads only the portable result-set view and keeps no
// state between runs.

// Win32_Processor: the first processor's maximum clock speed. The processor
// count is not a WMI value; the caller passes the operating system's count of
// logical processors.
class CpuInfoWmiQuery : public WmiQuery<CpuInfo> {
public:
    explicit CpuInfoWmiQuery(std::uint32_t logicalProcessorCount);

    std::string QueryText() const override;
    CpuInfo Parse(WmiResultSet& results) const override;

private:
    std::uint32_t logicalProcessorCount_;
};

// Win32_LogicalDisk: every local disk (drive type 3) in enumeration order.
class DiskInfoWmiQuery : public WmiQuery<std::vector<DiskInfo>> {
public:
    std::string QueryText() const override;
    std::vector<DiskInfo> Parse(WmiResultSet& results) const override;
};

// Win32_ComputerSystem: installed physical memory and the computer's name.
class MemoryInfoWmiQuery : public WmiQuery<MemoryInfo> {
public:
    std::string QueryText() const override;
    MemoryInfo Parse(WmiResultSet& results) const override;
};

// The numbers taken from an operating system's "Version" and "CSDVersion".
struct OSVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t servicePack = 0;

    bool operator==(const OSVersion&) const = default;
};

// Win32_OperatingSystem: version, service pack, caption and product type.
class OSInfoWmiQuery : public WmiQuery<OSInfo> {
public:
    std::string QueryText() const override;
    OSInfo Parse(WmiResultSet& results) const override;

    // Major and minor version from the first two dot-separated pieces of
    // `version` (the build number is not read); the service-pack number is
    // the number after "Service Pack" in `servicePack`, 0 when that text is
    // absent or has no number after it. A version piece that is not a number
    // or does not fit 32 bits throws the ParseUnsigned32 errors.
    static OSVersion ParseVersion(const std::u16string& version, const std::u16string& servicePack);
};

// Win32_VideoController: the first adapter's memory; 0 MB when there is no
// video controller at all.
class VideoMemoryWmiQuery : public WmiQuery<VideoMemoryInfo> {
public:
    std::string QueryText() const override;
    VideoMemoryInfo Parse(WmiResultSet& results) const override;
};

} // namespace Talvane::Nimlo
