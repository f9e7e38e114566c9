#pragma once

#include <string>
#include <vector>

#include "requirements/RequirementResult.h"
#include "sysinfo/Records.h"

namespace Talvane::Nimlo {

// Passes when any local disk has at least 2 GB free. Every disk is listed in
// the system text, each followed by `separator` (";" for the Client role, "~"
// for the server roles, which puts each disk on a line of its own).
RequirementResult CheckDiskSpace(const std::vector<DiskInfo>& disks, const std::u16string& separator);

} // namespace Talvane::Nimlo
