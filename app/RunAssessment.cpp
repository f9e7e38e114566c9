#include "app/RunAssessment.h"

#include <exception>

#include "app/FileHandle.h"
#include "report/ReportBody.h"
#include "report/ReportTemplate.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

std::string BuildPage(RunServices& services)
{
    const SystemProfile profile = services.CollectSystemProfile();
    const std::string body = RenderReportBody(profile);
    return FillReport(services.LoadReportTemplate(), body, profile.ComputerName());
}

void WritePage(FileSystem& files, const std::string& page)
{
    FileHandle file = CreateReportFile(files, ReportFileName);
    file.Write(page);
    file.Close();
}

} // namespace

int RunAssessment(RunServices& services)
{
    std::string page;
    try {
        page = BuildPage(services);
    } catch (const std::exception& error) {
        services.Shell().ShowMessage(u"The system assessment could not be completed: " + WidenAscii(error.what()),
                                     u"System Assessment");
        return ExitNotAssessed;
    } catch (...) {
        services.Shell().ShowMessage(u"The system assessment could not be completed: unknown error",
                                     u"System Assessment");
        return ExitNotAssessed;
    }

    try {
        WritePage(services.Files(), page);
    } catch (...) {
        // The file handle is gone by now, so the file is closed before the user sees this.
        services.Shell().ShowMessage(
            u"Failed to write assessment results to disk. Please run this application as administrator",
            u"Assessmnet Write Failure");
        return ExitWriteFailed;
    }

    services.Shell().Open(ReportFileName);
    return ExitReportOpened;
}

} // namespace Talvane::Nimlo
