#pragma once

#include <string>
#include <vector>

#include "requirements/RequirementResult.h"
#include "sysinfo/Records.h"

namespace Talvane::Nimlo {

// Lists every detected redistributable with a check box placeholder and fails
// when a required one was detected as not installed. A required name that
// matches no detected entry is not reported.
RequirementResult CheckCppRuntimes(const std::vector<std::u16string>& required,
                                   const std::vector<RuntimeStatus>& detected);

} // namespace Talvane::Nimlo
