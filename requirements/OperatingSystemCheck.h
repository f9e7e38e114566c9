#pragma once

#include <string>

#include "requirements/RequirementResult.h"
#include "sysinfo/Records.h"

namespace Talvane::Nimlo {

// Windows 7 / Server 2008 R2 with a service pack, 8.1 / Server 2012 R2, and
// every release with major version 10.
bool IsSupportedWindowsVersion(const OSInfo& os);

// "major.minor.servicePack"; the build number is not part of it.
std::u16string DescribeWindowsVersion(const OSInfo& os);

// Both server roles: a workstation fails before its version is looked at.
RequirementResult CheckServerOperatingSystem(const OSInfo& os);

// Client: the version alone decides.
RequirementResult CheckClientOperatingSystem(const OSInfo& os);

} // namespace Talvane::Nimlo
