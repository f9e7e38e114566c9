#pragma once

#include <string>

#include "sysinfo/SystemProfile.h"

namespace Talvane::Nimlo {

// The report body: the three roles judged on `profile` and rendered as
// sections, in the order "Client", "Web Server or 32-bit Application Server",
// "64-bit Application Server", one directly after the other.
std::string RenderReportBody(const SystemProfile& profile);

} // namespace Talvane::Nimlo
