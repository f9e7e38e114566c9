#pragma once

#include <string>
#include <vector>

#include "requirements/RoleAssessment.h"
#include "sysinfo/SystemProfile.h"

namespace Talvane::Nimlo {

// The report body: the roles rendered as sections in the order given, one
// directly after the other.
std::string RenderReportBody(const std::vector<RoleAssessment>& roles);

// The three roles judged on `profile` (AssessRoles) and rendered: "Client",
// "Web Server or 32-bit Application Server", "64-bit Application Server".
std::string RenderReportBody(const SystemProfile& profile);

} // namespace Talvane::Nimlo
