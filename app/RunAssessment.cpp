#include "app/RunAssessment.h"

#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <string_view>
#include <utility>

#include "app/FileHandle.h"
#include "app/ResultLine.h"
#include "platform/SystemError.h"
#include "report/ReportBody.h"
#include "report/ReportTemplate.h"
#include "requirements/RoleBuilders.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

// What the run and the collection's thread share. The thread keeps it alive
// as long as it runs, also once the run has given up on it.
struct Collection {
    CollectionProgress progress;
    std::optional<SystemProfile> profile;
    std::exception_ptr error;
};

// The profile, collected on the collection's thread. When the thread has not
// ended by the deadline, `abandoned` is set and the error says which step did
// not answer.
SystemProfile CollectWithin(RunServices& services, std::uint32_t limit, bool& abandoned)
{
    Clock& clock = services.TickClock();
    const Deadline deadline{clock.Ticks(), limit};
    const auto collection = std::make_shared<Collection>();
    Worker& thread = services.CollectionThread();
    thread.Start([collection, &services, deadline] {
        try {
            collection->profile.emplace(services.CollectSystemProfile(deadline, collection->progress));
        } catch (...) {
            collection->error = std::current_exception();
        }
    });
    if (!thread.Wait(deadline.Remaining(clock.Ticks()))) {
        abandoned = true;
        throw SystemError(collection->progress.DidNotAnswer(limit));
    }
    if (collection->error) {
        try {
            std::rethrow_exception(collection->error);
        } catch (const DeadlinePassed&) {
            // A wait that the collection gave up itself, at the same deadline.
            throw SystemError(collection->progress.DidNotAnswer(limit));
        }
    }
    return std::move(*collection->profile);
}

void WritePage(RunServices& services, const std::string& page)
{
    FileHandle report = CreateReportFile(services.Files(), ReportFileName);
    report.Write(page);
    report.Commit(services.TickClock());
}

// "CAPTION: TEXT" and CR LF, in UTF-8.
std::string ErrorLine(const char16_t* caption, std::string_view utf8Text)
{
    std::string line = ToUtf8(caption);
    return line.append(": ").append(utf8Text).append("\r\n");
}

// Says why nothing was assessed: in a box where a user can see one, else on
// standard error; the result keeps the same words. Putting the reason into
// words allocates; when that fails too, the fixed text is shown instead.
void TellNotAssessed(Desktop& desktop, RunResult& result, const char* reason) noexcept
{
    try {
        const bool seen = desktop.MessagesCanBeSeen();
        try {
            const std::u16string text = NotAssessedTextStart + WidenAscii(reason);
            result.reason = ToUtf8(text);
            if (seen) {
                desktop.ShowMessage(text.c_str(), NotAssessedCaption);
            } else {
                desktop.WriteErrorLine(ErrorLine(NotAssessedCaption, result.reason));
            }
        } catch (const std::bad_alloc&) {
            if (seen) {
                desktop.ShowMessage(NotAssessedFixedText, NotAssessedCaption);
            } else {
                desktop.WriteErrorLine(NotAssessedFixedLine);
            }
        }
    } catch (...) {
        // Nothing more can be said; the exit status still tells.
    }
}

// The box's fixed text; the line on standard error and the result add the
// system's code.
void TellWriteFailed(Desktop& desktop, RunResult& result, std::optional<SystemCode> code) noexcept
{
    try {
        result.reason = WithCode(ToUtf8(WriteFailureText), code);
        if (desktop.MessagesCanBeSeen()) {
            desktop.ShowMessage(WriteFailureText, WriteFailureCaption);
            return;
        }
        desktop.WriteErrorLine(ErrorLine(WriteFailureCaption, result.reason));
    } catch (...) {
        // As above: the exit status still tells.
    }
}

// Hands the result to the tool that started the program, as the last thing
// the run says. When the line cannot be put together, it says the outcome only.
void HandBack(Desktop& desktop, const RunResult& result) noexcept
{
    try {
        if (result.outcome == RunOutcome::Assessed || !result.reason.empty()) {
            desktop.WriteOutputLine(FormatResultLine(result));
            return;
        }
    } catch (...) {
        // Out of memory: the fixed line below.
    }
    desktop.WriteOutputLine(FixedResultLine(result.outcome));
}

// The end of a run that assessed nothing: the user is told, the tool handed
// the result, and then the run ends, at once when the collection's thread
// may still be stuck.
ExitStatus EndNotAssessed(RunServices& services, RunResult& result, const char* reason, bool abandoned)
{
    result.outcome = RunOutcome::AssessmentFailed;
    TellNotAssessed(services.UserDesktop(), result, reason);
    HandBack(services.UserDesktop(), result);
    if (abandoned) {
        services.EndAbandoned(ExitCode(ExitStatus::NotAssessed));
    }
    return ExitStatus::NotAssessed;
}

ExitStatus EndWriteFailed(RunServices& services, RunResult& result, std::optional<SystemCode> code)
{
    result.outcome = RunOutcome::ReportNotWritten;
    TellWriteFailed(services.UserDesktop(), result, code);
    HandBack(services.UserDesktop(), result);
    return ExitStatus::WriteFailed;
}

} // namespace

ExitStatus RunAssessment(RunServices& services, std::uint32_t collectionLimit)
{
    RunResult result;
    std::string page;
    bool abandoned = false;
    try {
        const SystemProfile profile = CollectWithin(services, collectionLimit, abandoned);
        result.computer = profile.ComputerName();
        result.roles = AssessRoles(profile);
        const std::string body = RenderReportBody(result.roles);
        page = FillReport(services.LoadReportTemplate(), body, *result.computer);
    } catch (const std::exception& error) {
        return EndNotAssessed(services, result, error.what(), abandoned);
    } catch (...) {
        return EndNotAssessed(services, result, "unknown error", abandoned);
    }

    try {
        WritePage(services, page);
    } catch (const SystemError& error) {
        // The new file is closed and removed by now, and the earlier report is as it was.
        return EndWriteFailed(services, result, error.Code());
    } catch (...) {
        return EndWriteFailed(services, result, std::nullopt);
    }

    // Where nobody can see a window, a viewer would only stay behind unseen.
    if (services.UserDesktop().MessagesCanBeSeen()) {
        services.UserDesktop().Open(ReportFileName);
    }
    HandBack(services.UserDesktop(), result);
    return ExitStatus::ReportOpened;
}

} // namespace Talvane::Nimlo
