#include "app/RunAssessment.h"

#include <exception>
#include <new>

#include "app/PendingReport.h"
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
    PendingReport report(files);
    report.Write(page);
    report.Commit(ReportFileName);
}

// Says why nothing was assessed, where a user can see it. Putting the reason
// into words allocates; when that fails too, the fixed text is shown instead.
void TellNotAssessed(Desktop& desktop, const char* reason) noexcept
{
    try {
        if (!desktop.MessagesCanBeSeen()) {
            return;
        }
        try {
            const std::u16string text = NotAssessedTextStart + WidenAscii(reason);
            desktop.ShowMessage(text.c_str(), NotAssessedCaption);
        } catch (const std::bad_alloc&) {
            desktop.ShowMessage(NotAssessedFixedText, NotAssessedCaption);
        }
    } catch (...) {
        // Nothing more can be said; the exit status still tells.
    }
}

void TellWriteFailed(Desktop& desktop) noexcept
{
    try {
        if (desktop.MessagesCanBeSeen()) {
            desktop.ShowMessage(WriteFailureText, WriteFailureCaption);
        }
    } catch (...) {
        // As above: the exit status still tells.
    }
}

} // namespace

int RunAssessment(RunServices& services)
{
    std::string page;
    try {
        page = BuildPage(services);
    } catch (const std::exception& error) {
        TellNotAssessed(services.Shell(), error.what());
        return ExitNotAssessed;
    } catch (...) {
        TellNotAssessed(services.Shell(), "unknown error");
        return ExitNotAssessed;
    }

    try {
        WritePage(services.Files(), page);
    } catch (...) {
        // The new file is closed and removed by now, and the earlier report is as it was.
        TellWriteFailed(services.Shell());
        return ExitWriteFailed;
    }

    services.Shell().Open(ReportFileName);
    return ExitReportOpened;
}

} // namespace Talvane::Nimlo
