#pragma once

#include <cstdint>
#include <string>

namespace Talvane::Nimlo {

// The facts about one machine, as plain values. Sizes are in units of 1024:
// gigabytes of 1024^3 bytes and megabytes of 1024^2 bytes.

struct CpuInfo {
    double maxClockSpeedGHz = 0.0;   // first processor's MaxClockSpeed (MHz) / 1000
    std::int32_t processorCount = 0; // logical processors the operating system reports

    bool operator==(const CpuInfo&) const = default;
};

struct DiskInfo {
    double freeSpaceGB = 0.0; // unrounded
    std::u16string deviceId;  // drive letter and colon, as reported

    std::u16string DeviceId() const { return deviceId; }

    bool operator==(const DiskInfo&) const = default;
};

struct MemoryInfo {
    double totalPhysicalMemoryGB = 0.0; // unrounded
    std::u16string name;                // the computer's name

    std::u16string Name() const { return name; }

    bool operator==(const MemoryInfo&) const = default;
};

struct OSInfo {
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
    std::uint32_t servicePackMajor = 0;
    std::u16string caption; // exactly as reported, not trimmed
    bool isServer = false;  // product type other than workstation

    std::u16string Caption() const { return caption; }

    bool operator==(const OSInfo&) const = default;
};

struct VideoMemoryInfo {
    std::int64_t adapterRamMB = 0; // truncated

    bool operator==(const VideoMemoryInfo&) const = default;
};

struct DotNetInfo {
    std::u16string version;    // or "Not Installed"
    std::uint32_t release = 0; // 0 when not installed

    std::u16string Version() const { return version; }

    bool operator==(const DotNetInfo&) const = default;
};

struct RuntimeStatus {
    std::u16string name; // display name of the redistributable
    bool installed = false;

    std::u16string Name() const { return name; }

    bool operator==(const RuntimeStatus&) const = default;
};

} // namespace Talvane::Nimlo
