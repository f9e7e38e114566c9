#include "summary/Run.h"

#include <optional>
#include <utility>

#include "files/BusyRetries.h"
#include "report/ReportReader.h"
#include "summary/Counts.h"
#include "summary/Csv.h"
#include "summary/Fleet.h"
#include "summary/FleetReading.h"
#include "summary/HostFiles.h"
#include "summary/Lists.h"
#include "summary/Options.h"
#include "summary/Outputs.h"
#include "summary/Overview.h"
#include "summary/Paths.h"

namespace Talvane::Nimlo {
namespace {

// Complete where every file found was read and every host is accounted for
// by its report.
SummaryStatus StatusOf(const FleetCounts& counts)
{
    const bool incomplete = counts.reportsRejected > 0 || counts.notAssessed > 0 || counts.notesBesideReports > 0;
    return incomplete ? SummaryStatus::Incomplete : SummaryStatus::Complete;
}

// One run, step by step: check the outputs and the lists' folder and read
// the hosts expected, before any report; open the outputs; read the fleet
// (the long CSV written as the reports come); finish it; write what it
// shows (the overview, the --machines CSV, the lists) and the closing line.
class SummaryRun {
public:
    SummaryRun(const SummaryOptions& options, const ReportReader& reader, SummaryServices& services, std::ostream& out,
               std::ostream& err)
        : options_(options)
        , reader_(reader)
        , services_(services)
        , files_(services.Files())
        , out_(out)
        , err_(err)
        , outputs_(options)
    {}

    SummaryStatus Run() &&
    {
        if (!CheckOutputs() || !CheckListsFolder() || !ReadExpectedHosts() || !OpenOutputs() || !ReadReports()) {
            return SummaryStatus::Failed; // what was opened goes, and the outputs stay as they were
        }
        const FinishedFleet fleet = std::move(fleet_).Finish();
        NameNotesBesideReports(fleet);
        if (fleet.Reports().empty() && fleet.Notes().empty()) {
            err_ << "no report could be read from the paths given; nothing written\n"
                 << ClosingLine(fleet.Counts()) << "\n";
            return SummaryStatus::Incomplete;
        }
        const bool outputsWritten = WriteOutputs(fleet);
        const bool listsWritten = WriteLists(fleet);
        err_ << ClosingLine(fleet.Counts()) << "\n";
        return outputsWritten && listsWritten ? StatusOf(fleet.Counts()) : SummaryStatus::Failed;
    }

private:
    // Names a failure on standard error; false.
    bool Fail(const std::string& message)
    {
        err_ << ProgramName << message << "\n";
        return false;
    }

    bool CheckOutputs()
    {
        const Result<void> checked = outputs_.Check(files_);
        return checked || Fail(checked.error());
    }

    bool CheckListsFolder()
    {
        if (!options_.listsFolder) {
            return true;
        }
        const Result<void> usable = Talvane::Nimlo::CheckListsFolder(files_, PathFromUtf8(*options_.listsFolder));
        return usable || Fail(ShownUtf8Path(*options_.listsFolder) + ": cannot hold the lists: " + usable.error());
    }

    bool ReadExpectedHosts()
    {
        if (!options_.expectFile) {
            return true;
        }
        const FileResult<FileBytes> read = files_.Read(PathFromUtf8(*options_.expectFile).native(), MaxReportBytes);
        if (!read) {
            return Fail(ShownUtf8Path(*options_.expectFile) + ": cannot be read (" + read.error().what() + ")");
        }
        fleet_.Expect(ParseHostList(read->bytes));
        return true;
    }

    // The long CSV goes to standard output where no output is named.
    bool OpenOutputs()
    {
        if (const Result<void> opened = outputs_.Open(files_); !opened) {
            return Fail(opened.error());
        }
        longCsv_ = outputs_.Stream(NamedOutput::LongCsv);
        if (longCsv_ == nullptr && !options_.WritesFiles()) {
            longCsv_ = &out_;
        }
        if (longCsv_ != nullptr) {
            *longCsv_ << CsvStart();
        }
        return true;
    }

    bool ReadReports() { return ReadFleet(options_, services_, reader_, outputs_, fleet_, longCsv_, err_); }

    // A host with a report and a note is counted from its report; the note is named, as the round left it behind.
    void NameNotesBesideReports(const FinishedFleet& fleet)
    {
        for (const NoteRecord& note : fleet.Notes()) {
            if (note.besideReport) {
                err_ << ShownUtf8Path(fleet.NoteFile(note))
                     << ": a note for a host that has a report; the host is counted as assessed from its report\n";
            }
        }
    }

    bool WriteOutputs(const FinishedFleet& fleet)
    {
        if (std::ostream* overview = outputs_.Stream(NamedOutput::Overview)) {
            const std::optional<std::filesystem::path> lists =
                options_.listsFolder ? std::optional(PathFromUtf8(*options_.listsFolder)) : std::nullopt;
            WriteOverview(*overview, fleet, {FolderOf(outputs_.Target(NamedOutput::Overview)->path), lists});
        }
        if (std::ostream* machines = outputs_.Stream(NamedOutput::Machines)) {
            WriteMachinesCsv(*machines, fleet);
        }
        bool written = true;
        for (const std::string& failure : outputs_.Finish(retries_)) {
            written = Fail(failure);
        }
        if (longCsv_ == &out_) {
            out_.flush();
            if (!out_) {
                written = Fail("the CSV could not be written to standard output");
            }
        }
        return written;
    }

    bool WriteLists(const FinishedFleet& fleet)
    {
        return !options_.listsFolder ||
               Talvane::Nimlo::WriteLists(files_, retries_, PathFromUtf8(*options_.listsFolder), fleet, err_);
    }

    const SummaryOptions& options_;
    const ReportReader& reader_;
    SummaryServices& services_;
    FileSystem& files_;
    std::ostream& out_;
    std::ostream& err_;

    Outputs outputs_;
    BusyRetries retries_{services_.TickClock(), BusyOutputRetryMilliseconds};
    std::ostream* longCsv_ = nullptr;
    Fleet fleet_;
};

} // namespace

SummaryStatus RunSummary(const std::vector<std::string>& arguments, std::string_view reportTemplate,
                         SummaryServices& services, std::ostream& out, std::ostream& err)
{
    const Result<SummaryOptions> options = ParseOptions(arguments);
    if (!options) {
        err << ProgramName << options.error() << "\n\n" << SummaryUsage;
        return SummaryStatus::Failed;
    }
    const Result<ReportReader> reader = ReportReader::ForTemplate(reportTemplate);
    if (!reader) {
        err << ProgramName << reader.error() << "\n";
        return SummaryStatus::Failed;
    }
    return SummaryRun(*options, *reader, services, out, err).Run();
}

} // namespace Talvane::Nimlo
