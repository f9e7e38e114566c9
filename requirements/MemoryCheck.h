#pragma once

#include <cstdint>

#include "requirements/RequirementResult.h"
#include "sysinfo/Records.h"

namespace Talvane::Nimlo {

// The memory size used for the comparisons: rounded up to whole hundredths of
// a GB, computed in single precision step by step.
float RoundMemoryForComparison(double sizeGB);

// Compares installed memory with a role's minimum and recommended whole GB.
RequirementResult CheckMemory(const MemoryInfo& memory, std::uint32_t minimumGB, std::uint32_t recommendedGB);

} // namespace Talvane::Nimlo
