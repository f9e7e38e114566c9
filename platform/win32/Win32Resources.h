#pragma once

#include <string>

namespace Talvane::Nimlo {

// Resource id and type of the report template in the executable.
inline constexpr unsigned short ReportTemplateResourceId = 101;
inline constexpr unsigned short ReportTemplateResourceType = 23; // RT_HTML

// The report template's bytes, copied out of the running executable. Throws
// SystemError, with the system's code, when the resource is missing or cannot
// be loaded.
std::string LoadReportTemplate();

} // namespace Talvane::Nimlo
