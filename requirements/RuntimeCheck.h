#pragma once

#include <cstdint>
#include <string>

#include "requirements/RequirementResult.h"
#include "sysinfo/Records.h"

namespace Talvane::Nimlo {

// .NET Framework 4.6 or later, judged by the release number alone.
RequirementResult CheckDotNetRuntime(const DotNetInfo& dotNet);

// The major version of a browser version text: the number before the first
// ".", read with 64-bit unsigned semantics. A text that does not start with a
// number, or whose number does not fit, gives 0.
std::uint64_t BrowserMajorVersion(const std::u16string& versionText);

// Internet Explorer 11 or later.
RequirementResult CheckBrowser(const std::u16string& versionText);

} // namespace Talvane::Nimlo
