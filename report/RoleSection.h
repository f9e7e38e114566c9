#pragma once

#include <string>

#include "requirements/RoleAssessment.h"

namespace Talvane::Nimlo {

// One role as an HTML section (UTF-8, every line ended by a line feed): the
// title with the overall verdict, then one table row per requirement.
std::string RenderRole(const RoleAssessment& role);

} // namespace Talvane::Nimlo
