#pragma once

#include <vector>

#include "requirements/RoleAssessment.h"
#include "requirements/RoleLabels.h"
#include "sysinfo/SystemProfile.h"

namespace Talvane::Nimlo {

// Each gives the rows of RowLabels for its role, in that order.
RoleAssessment AssessClientRole(const SystemProfile& profile);
RoleAssessment AssessWebServerRole(const SystemProfile& profile);
RoleAssessment AssessAppServer64Role(const SystemProfile& profile);

// The three roles, in the order the report shows them (RoleTitles).
std::vector<RoleAssessment> AssessRoles(const SystemProfile& profile);

} // namespace Talvane::Nimlo
