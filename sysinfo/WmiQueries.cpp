#include "sysinfo/WmiQueries.h"

#include <memory>
#include <string_view>
#include <utility>

#include "platform/SystemError.h"
#include "text/NumberParse.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

constexpr double BytesPerGB = 1024.0 * 1024.0 * 1024.0;
constexpr std::uint32_t LocalDiskDriveType = 3;
constexpr std::uint32_t WorkstationProductType = 1;

// The first object of a query that must yield one.
std::unique_ptr<WmiObject> FirstObject(WmiResultSet& results, const char* className)
{
    std::unique_ptr<WmiObject> object = results.Next();
    if (!object) {
        throw SystemError(std::string("WMI returned no ") + className + " object");
    }
    return object;
}

// A property the parser cannot do without. One that WMI could not give ends
// the collection with what failed and WMI's HRESULT, rather than with the
// number conversion's complaint about an empty text.
WmiValue Needed(const WmiObject& object, const char* name, const char* className)
{
    WmiValue value = object.Get(WidenAscii(name));
    if (!value.Fetched()) {
        std::string action = "Reading ";
        action.append(name).append(" of ").append(className).append(" failed");
        throw SystemError(action, SystemCode::HResult(value.fetchResult));
    }
    return value;
}

// A byte count delivered as decimal text, in gigabytes of 1024^3 bytes.
double GigabytesFromText(const std::u16string& bytes)
{
    // Exact in binary: dividing by 2^30 is the same as three times by 2^10.
    return static_cast<double>(ParseUnsigned64(bytes)) / BytesPerGB;
}

// A disk's free space; a value that is missing or cannot be read counts as
// no free space rather than ending the whole collection.
double FreeSpaceGB(const std::u16string& bytes)
{
    return static_cast<double>(TryParseUnsigned64(bytes).value_or(0)) / BytesPerGB;
}

} // namespace

CpuInfoWmiQuery::CpuInfoWmiQuery(std::uint32_t logicalProcessorCount) : logicalProcessorCount_(logicalProcessorCount) {}

std::string CpuInfoWmiQuery::QueryText() const
{
    return "SELECT * FROM Win32_Processor";
}

CpuInfo CpuInfoWmiQuery::Parse(WmiResultSet& results) const
{
    const std::unique_ptr<WmiObject> processor = FirstObject(results, "Win32_Processor");
    // MaxClockSpeed comes as 32 bits read as a signed value.
    const auto megahertz = static_cast<std::int32_t>(processor->Get(u"MaxClockSpeed").Integer32());

    CpuInfo cpu;
    cpu.maxClockSpeedGHz = static_cast<double>(megahertz) / 1000.0;
    cpu.processorCount = static_cast<std::int32_t>(logicalProcessorCount_);
    return cpu;
}

std::string DiskInfoWmiQuery::QueryText() const
{
    // The class name's capital I is how the query has always gone out; WQL
    // matches class names without regard to case.
    return "SELECT * FROM WIn32_LogicalDisk";
}

std::vector<DiskInfo> DiskInfoWmiQuery::Parse(WmiResultSet& results) const
{
    std::vector<DiskInfo> disks;
    while (const std::unique_ptr<WmiObject> disk = results.Next()) {
        if (disk->Get(u"DriveType").Integer32() != LocalDiskDriveType) {
            continue;
        }
        DiskInfo info;
        info.deviceId = disk->Get(u"DeviceID").text;
        info.freeSpaceGB = FreeSpaceGB(disk->Get(u"FreeSpace").text);
        disks.push_back(std::move(info));
    }
    return disks;
}

std::string MemoryInfoWmiQuery::QueryText() const
{
    return "SELECT * FROM Win32_ComputerSystem";
}

MemoryInfo MemoryInfoWmiQuery::Parse(WmiResultSet& results) const
{
    const std::unique_ptr<WmiObject> system = FirstObject(results, "Win32_ComputerSystem");

    MemoryInfo memory;
    memory.totalPhysicalMemoryGB =
        GigabytesFromText(Needed(*system, "TotalPhysicalMemory", "Win32_ComputerSystem").text);
    memory.name = system->Get(u"Name").text;
    return memory;
}

std::string OSInfoWmiQuery::QueryText() const
{
    return "SELECT * FROM Win32_OperatingSystem";
}

OSInfo OSInfoWmiQuery::Parse(WmiResultSet& results) const
{
    const std::unique_ptr<WmiObject> system = FirstObject(results, "Win32_OperatingSystem");
    const OSVersion version =
        ParseVersion(Needed(*system, "Version", "Win32_OperatingSystem").text, system->Get(u"CSDVersion").text);

    OSInfo os;
    os.majorVersion = version.major;
    os.minorVersion = version.minor;
    os.servicePackMajor = version.servicePack;
    os.caption = system->Get(u"Caption").text;
    os.isServer = system->Get(u"ProductType").Integer32() != WorkstationProductType;
    return os;
}

OSVersion OSInfoWmiQuery::ParseVersion(const std::u16string& version, const std::u16string& servicePack)
{
    OSVersion result;

    std::u16string_view rest = version;
    for (std::uint32_t* piece : {&result.major, &result.minor}) {
        const std::size_t dot = rest.find(u'.');
        *piece = ParseUnsigned32(rest.substr(0, dot));
        rest = dot == std::u16string_view::npos ? std::u16string_view() : rest.substr(dot + 1);
    }

    static constexpr std::u16string_view marker = u"Service Pack";
    std::u16string text = servicePack;
    if (const std::size_t at = text.find(marker); at != std::u16string::npos) {
        text.erase(at, marker.size());
        try {
            result.servicePack = ParseUnsigned32(text);
        } catch (const std::invalid_argument&) {
            result.servicePack = 0; // "Service Pack" with no number after it
        }
    }
    return result;
}

std::string VideoMemoryWmiQuery::QueryText() const
{
    return "SELECT * FROM Win32_VideoController";
}

VideoMemoryInfo VideoMemoryWmiQuery::Parse(WmiResultSet& results) const
{
    VideoMemoryInfo video;
    if (const std::unique_ptr<WmiObject> controller = results.Next()) {
        // A byte count without sign: the 32-bit 4 GB less 1 MB stays positive.
        const std::uint64_t bytes = controller->Get(u"AdapterRAM").integer;
        video.adapterRamMB = static_cast<std::int64_t>(bytes / 1024 / 1024);
    }
    return video;
}

} // namespace Talvane::Nimlo
