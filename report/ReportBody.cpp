#include "report/ReportBody.h"

#include "report/RoleSection.h"
#include "requirements/RoleBuilders.h"

namespace Talvane::Nimlo {

std::string RenderReportBody(const std::vector<RoleAssessment>& roles)
{
    std::string body;
    for (const RoleAssessment& role : roles) {
        body += RenderRole(role);
    }
    return body;
}

std::string RenderReportBody(const SystemProfile& profile)
{
    return RenderReportBody(AssessRoles(profile));
}

} // namespace Talvane::Nimlo
