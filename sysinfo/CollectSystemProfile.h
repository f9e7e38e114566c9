#pragma once

#include <cstdint>

#include "platform/CollectionProgress.h"
#include "platform/Registry.h"
#include "platform/Wmi.h"
#include "sysinfo/SystemProfile.h"

namespace Talvane::Nimlo {

// Gathers the machine's facts: the five WMI queries (processor, disks,
// memory, video controller, operating system, in that order) on `wmi`, then
// the .NET, Internet Explorer and C++ runtime probes on `registry`.
// Errors of the queries pass to the caller; no partial profile is returned.
// `progress` follows each step, so that a caller waiting on another thread
// can say which one did not answer.
SystemProfile CollectSystemProfile(WmiService& wmi, Registry& registry, std::uint32_t logicalProcessorCount,
                                   CollectionProgress& progress);

SystemProfile CollectSystemProfile(WmiService& wmi, Registry& registry, std::uint32_t logicalProcessorCount);

} // namespace Talvane::Nimlo
