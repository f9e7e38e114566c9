#include "requirements/OperatingSystemCheck.h"

#include "requirements/RoleLabels.h"
#include "text/NumberFormat.h"

namespace Talvane::Nimlo {

bool IsSupportedWindowsVersion(const OSInfo& os)
{
    const auto major = os.majorVersion;
    const auto minor = os.minorVersion;
    return (major == 6 && minor == 1 && os.servicePackMajor >= 1) || (major == 6 && minor == 3) || major == 10;
}

std::u16string DescribeWindowsVersion(const OSInfo& os)
{
    return FormatInteger(os.majorVersion) + u"." + FormatInteger(os.minorVersion) + u"." +
           FormatInteger(os.servicePackMajor);
}

RequirementResult CheckServerOperatingSystem(const OSInfo& os)
{
    const std::u16string version = DescribeWindowsVersion(os);
    const std::u16string system = os.Caption() + u" (" + version + u")";
    const std::u16string requirements = u"Windows Server 2008 R2 SP1 or later service pack (x64)~"
                                        u"Windows Server 2012 R2(x64)~"
                                        u"Windows Server 2016 (x64)~";
    bool passed = false;
    std::u16string message;
    if (!os.isServer) {
        message = u"Client operating systems are not supported for Dravik Servers.";
    } else if (IsSupportedWindowsVersion(os)) {
        passed = true;
        message = os.Caption() + u"(" + version + u") is supported.";
    } else {
        message = os.Caption() + u"(" + version + u") is not supported.";
    }
    return {ServerOperatingSystemLabel, passed, requirements, system, message};
}

RequirementResult CheckClientOperatingSystem(const OSInfo& os)
{
    const std::u16string system = os.Caption() + u" (" + DescribeWindowsVersion(os) + u")";
    const std::u16string requirements = u"Windows Server 2008 R2 SP1 or later service pack~"
                                        u"Windows 7 SP1 or later service pack~"
                                        u"Windows 8.1~"
                                        u"Windows Server 2012 R2~"
                                        u"Windows 10~"
                                        u"Windows Server 2016~";
    const bool passed = IsSupportedWindowsVersion(os);
    const std::u16string message = system + (passed ? u" is supported." : u" is not supported.");
    return {OperatingSystemLabel, passed, requirements, system, message};
}

} // namespace Talvane::Nimlo
