#include "report/ReportBody.h"

#include "report/RoleSection.h"
#include "requirements/RoleBuilders.h"

namespace Talvane::Nimlo {

std::string RenderReportBody(const SystemProfile& profile)
{
    const RoleAssessment client = AssessClientRole(profile);
    const RoleAssessment webServer = AssessWebServerRole(profile);
    const RoleAssessment appServer64 = AssessAppServer64Role(profile);

    std::string body;
    for (const RoleAssessment* role : {&client, &webServer, &appServer64}) {
        body += RenderRole(*role);
    }
    return body;
}

} // namespace Talvane::Nimlo
