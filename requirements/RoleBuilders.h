#pragma once

#include "requirements/RoleAssessment.h"
#include "sysinfo/SystemProfile.h"

namespace Talvane::Nimlo {

RoleAssessment AssessClientRole(const SystemProfile& profile);      // "Client", 8 rows
RoleAssessment AssessWebServerRole(const SystemProfile& profile);   // 7 rows
RoleAssessment AssessAppServer64Role(const SystemProfile& profile); // 7 rows

} // namespace Talvane::Nimlo
