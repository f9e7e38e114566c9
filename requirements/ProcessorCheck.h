#pragma once

#include <string>

#include "requirements/RequirementResult.h"
#include "sysinfo/Records.h"

namespace Talvane::Nimlo {

// "3.40 GHz 8 Core CPU"
std::u16string DescribeProcessor(const CpuInfo& cpu);

// Both server roles: at least 2.4 GHz and 2 logical processors.
RequirementResult CheckServerProcessor(const CpuInfo& cpu);

// Client: at least 1.0 GHz, 2.0 GHz recommended; the processor count plays no part.
RequirementResult CheckClientProcessor(const CpuInfo& cpu);

} // namespace Talvane::Nimlo
