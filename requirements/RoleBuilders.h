#pragma once

#include <cstddef>
#include <iterator>

#include "requirements/RoleAssessment.h"
#include "sysinfo/SystemProfile.h"

namespace Talvane::Nimlo {

inline constexpr char16_t ClientRoleTitle[] = u"Client";
inline constexpr char16_t WebServerRoleTitle[] = u"Web Server or 32-bit Application Server";
inline constexpr char16_t AppServer64RoleTitle[] = u"64-bit Application Server";
// The roles in the order the report shows them.
inline constexpr const char16_t* RoleTitles[] = {ClientRoleTitle, WebServerRoleTitle, AppServer64RoleTitle};
inline constexpr std::size_t RoleCount = std::size(RoleTitles);

RoleAssessment AssessClientRole(const SystemProfile& profile);      // "Client", 8 rows
RoleAssessment AssessWebServerRole(const SystemProfile& profile);   // 7 rows
RoleAssessment AssessAppServer64Role(const SystemProfile& profile); // 7 rows

} // namespace Talvane::Nimlo
