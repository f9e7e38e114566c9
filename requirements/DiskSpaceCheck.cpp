#include "requirements/DiskSpaceCheck.h"

#include "requirements/RoleLabels.h"
#include "text/NumberFormat.h"

namespace Talvane::Nimlo {
namespace {

constexpr int RequiredFreeGB = 2;

} // namespace

RequirementResult CheckDiskSpace(const std::vector<DiskInfo>& disks, const std::u16string& separator)
{
    bool passed = false;
    std::u16string system;
    for (const DiskInfo& disk : disks) {
        if (disk.freeSpaceGB >= static_cast<double>(RequiredFreeGB)) {
            passed = true;
        }
        system += FormatFixed(disk.freeSpaceGB, 2) + u" GB free on " + disk.DeviceId() + separator;
    }
    const std::u16string required = FormatInteger(RequiredFreeGB);
    const std::u16string message = passed
                                       ? u"This system meets the required " + required + u" GB of free space."
                                       : u"This system does not meet the required " + required + u" GB of free space.";
    return {DiskSpaceLabel, passed, required + u" GB or greater", system, message};
}

} // namespace Talvane::Nimlo
