#include "summary/RunSummary.h"

#include <array>
#include <memory>
#include <new>
#include <optional>

#include "report/ReportReader.h"
#include "summary/CommandLine.h"
#include "summary/CsvReport.h"
#include "summary/Fleet.h"
#include "summary/HostList.h"
#include "summary/HostNote.h"
#include "summary/ListFiles.h"
#include "summary/OutputFile.h"
#include "summary/Overview.h"
#include "summary/Progress.h"
#include "summary/ReportFiles.h"

namespace Talvane::Nimlo {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view ProgramName = "SystemAssessmentSummary: ";

// One output file of the command line, from its check to its last byte.
struct Output {
    const char* option;
    std::optional<std::string> name;
    std::optional<OutputTarget> target;
    std::unique_ptr<OutputFile> file;
};

// The outputs the command line can name.
struct Outputs {
    Output csv;      // the long CSV: one line per report, role and requirement
    Output overview; // the overview page
    Output machines; // the --machines CSV

    std::array<Output*, 3> All() { return {&csv, &overview, &machines}; }
    std::array<const Output*, 3> All() const { return {&csv, &overview, &machines}; }
};

// One run, step by step: check the outputs and read the hosts expected, open
// the outputs, read every report as the search finds it (its long CSV lines
// written at once), then finish the fleet and write what it shows: the
// overview, the --machines CSV, the lists and the closing line.
class SummaryRun {
public:
    SummaryRun(const SummaryOptions& options, const ReportReader& reader, FleetFiles& files, std::ostream& out,
               std::ostream& err)
        : options_(options)
        , reader_(reader)
        , files_(files)
        , out_(out)
        , err_(err)
        , outputs_{{"--csv", options.csvFile, {}, {}},
                   {"--html", options.htmlFile, {}, {}},
                   {"--machines", options.machinesFile, {}, {}}}
    {}

    SummaryStatus Run()
    {
        if (!CheckOutputs() || !CheckListsFolder() || !ReadExpectedHosts() || !OpenOutputs() || !ReadReports()) {
            return SummaryStatus::Failed; // what was opened goes, and the outputs stay as they were
        }
        const FinishedFleet fleet = std::move(fleet_).Finish();
        const FleetCounts& counts = fleet.Counts();
        NameNotesBesideReports(fleet);
        if (fleet.Machines().empty() && fleet.Notes().empty()) {
            err_ << "no report could be read from the paths given; nothing written\n" << ClosingLine(counts) << "\n";
            return SummaryStatus::Incomplete;
        }
        const bool outputsWritten = WriteOutputs(fleet);
        const bool listsWritten = WriteLists(fleet);
        err_ << ClosingLine(counts) << "\n";
        if (!outputsWritten || !listsWritten) {
            return SummaryStatus::Failed;
        }
        return counts.reportsRejected > 0 || counts.notAssessed > 0 || counts.notesBesideReports > 0
                   ? SummaryStatus::Incomplete
                   : SummaryStatus::Complete;
    }

private:
    bool Fail(const std::string& message)
    {
        err_ << ProgramName << message << "\n";
        return false;
    }

    static std::string Shown(const std::string& name) { return ShownPath(PathFromUtf8(name)); }

    bool CheckOutputs()
    {
        const std::array<Output*, 3> outputs = outputs_.All();
        for (Output* output : outputs) {
            if (!output->name) {
                continue;
            }
            Result<OutputTarget> target = CheckOutput(files_, *output->name);
            if (!target) {
                return Fail(Shown(*output->name) + ": cannot be written: " + target.error());
            }
            output->target = *std::move(target);
        }
        for (std::size_t i = 0; i < outputs.size(); ++i) {
            for (std::size_t j = i + 1; j < outputs.size(); ++j) {
                const Output& a = *outputs[i];
                const Output& b = *outputs[j];
                if (a.target && b.target && SameFile(*a.target, *b.target)) {
                    return Fail(std::string(a.option) + " and " + b.option + " name the same file: " + Shown(*b.name));
                }
            }
        }
        return true;
    }

    bool CheckListsFolder()
    {
        if (!options_.listsFolder) {
            return true;
        }
        const Result<void> usable = Talvane::Nimlo::CheckListsFolder(files_, PathFromUtf8(*options_.listsFolder));
        return usable || Fail(Shown(*options_.listsFolder) + ": cannot hold the lists: " + usable.error());
    }

    bool ReadExpectedHosts()
    {
        if (!options_.expectFile) {
            return true;
        }
        const Result<std::string> contents = files_.Read(PathFromUtf8(*options_.expectFile), MaxReportBytes);
        if (!contents) {
            return Fail(Shown(*options_.expectFile) + ": cannot be read (" + contents.error() + ")");
        }
        fleet_.Expect(ParseHostList(*contents));
        return true;
    }

    // The output that is the file `identity`, if any.
    const Output* OutputAt(FileIdentity identity) const
    {
        for (const Output* output : outputs_.All()) {
            if (output->target && output->target->identity == identity) {
                return output;
            }
        }
        return nullptr;
    }

    bool OpenOutputs()
    {
        for (Output* output : outputs_.All()) {
            if (!output->target) {
                continue;
            }
            output->file = Open(*output->target);
            if (const WriteResult opened = output->file->Status(); !opened) {
                return Fail(WithCode(Shown(*output->name) + ": cannot be written", opened.error().code));
            }
        }
        csv_ = outputs_.csv.file ? &outputs_.csv.file->Stream() : (options_.WritesFiles() ? nullptr : &out_);
        if (csv_ != nullptr) {
            *csv_ << CsvStart();
        }
        return true;
    }

    Result<ReportContent> Read(const fs::path& path)
    {
        try {
            Result<std::string> contents = files_.Read(path, MaxReportBytes);
            if (!contents) {
                return Failure("cannot be read (" + contents.error() + ")");
            }
            Result<ReportContent> reading = reader_.Read(*std::move(contents));
            if (!reading) {
                return Failure("not a System Assessment report: " + reading.error());
            }
            return reading;
        } catch (const std::bad_alloc&) {
            return Failure("cannot be read (not enough memory)");
        }
    }

    // Reads every report as the search meets it. An output that is one of
    // the reports would destroy it: the run ends with false before anything
    // is written. An output that is no report (the overview of an earlier
    // run, met in a searched folder) is just not read.
    bool ReadReports()
    {
        Progress progress(err_, files_.StandardErrorIsTerminal());
        std::size_t read = 0;
        bool outputIsAReport = false;
        const auto found = [&](const fs::path& path, FileIdentity identity) {
            if (const Output* output = OutputAt(identity); output != nullptr) {
                if (Read(path)) {
                    progress.Clear();
                    outputIsAReport = !Fail(Shown(*output->name) + " is a report to be read; it is not overwritten");
                }
                return !outputIsAReport;
            }
            const Result<ReportContent> reading = Read(path);
            if (!reading) {
                progress.Clear();
                err_ << ShownPath(path) << ": " << reading.error() << "\n";
                fleet_.AddRejected();
                return true;
            }
            const std::string name = PathToUtf8(path);
            if (csv_ != nullptr) {
                WriteCsvLines(*csv_, *reading, name);
            }
            fleet_.Add(*reading, name);
            progress.Read(++read);
            return true;
        };
        const auto passedOver = [&](const std::string& problem) {
            progress.Clear();
            err_ << problem << "\n";
            fleet_.AddRejected();
        };
        const auto note = [&](const fs::path& path, const std::string& problem) {
            std::optional<HostNote> parsed;
            std::string why = problem;
            if (why.empty()) {
                const Result<std::string> contents = files_.Read(path, MaxNoteBytes);
                if (contents) {
                    parsed = ParseNote(*contents);
                } else {
                    why = "cannot be read (" + contents.error() + ")";
                }
            }
            if (!parsed) {
                progress.Clear();
                err_ << ShownPath(path) << ": a note not read: " << why << "; its host is counted as not assessed\n";
                parsed = HostNote{NoteKind::Other, "note not read: " + why};
            }
            fleet_.AddNote(*parsed, PathToUtf8(path));
        };
        FindReports(files_, options_.paths, {found, passedOver, note});
        return !outputIsAReport;
    }

    // A host with a report and a note is counted from its report; the note is named, as the round left it behind.
    void NameNotesBesideReports(const FinishedFleet& fleet)
    {
        for (const NoteRecord& note : fleet.Notes()) {
            if (note.besideReport) {
                err_ << ShownPath(PathFromUtf8(fleet.NoteFile(note)))
                     << ": a note for a host that has a report; the host is counted as assessed from its report\n";
            }
        }
    }

    // The one place an output is opened, the three of the command line and each list file alike.
    std::unique_ptr<OutputFile> Open(const OutputTarget& target)
    {
        return std::make_unique<OutputFile>(files_, target);
    }

    // The one place an output is put in its place; false, named, where it could not be written.
    bool Finish(OutputFile& output)
    {
        const WriteResult finished = output.Finish(retries_);
        return finished || Fail(Shown(output.Target().name) + ": " + OutputProblem(finished.error()));
    }

    bool WriteOutputs(const FinishedFleet& fleet)
    {
        if (outputs_.overview.file) {
            const fs::path& overview = outputs_.overview.target->path;
            const OverviewPlaces places{overview.has_parent_path() ? overview.parent_path() : fs::path("."),
                                        options_.listsFolder ? std::optional(PathFromUtf8(*options_.listsFolder))
                                                             : std::nullopt};
            WriteOverview(outputs_.overview.file->Stream(), fleet, places);
        }
        if (outputs_.machines.file) {
            WriteMachinesCsv(outputs_.machines.file->Stream(), fleet);
        }
        bool written = true;
        for (Output* output : outputs_.All()) {
            written = (!output->file || Finish(*output->file)) && written;
        }
        if (csv_ == &out_) {
            out_.flush();
            if (!out_) {
                written = Fail("the CSV could not be written to standard output");
            }
        }
        return written;
    }

    bool WriteLists(const FinishedFleet& fleet)
    {
        if (!options_.listsFolder) {
            return true;
        }
        const ListWriting writing{[this](const OutputTarget& target) { return Open(target); },
                                  [this](OutputFile& list) { return Finish(list); },
                                  [this](const std::string& message) { return Fail(message); }};
        return Talvane::Nimlo::WriteLists(files_, PathFromUtf8(*options_.listsFolder), fleet, writing, err_);
    }

    const SummaryOptions& options_;
    const ReportReader& reader_;
    FleetFiles& files_;
    std::ostream& out_;
    std::ostream& err_;

    Outputs outputs_;
    BusyRetries retries_{files_.Time(), BusyOutputRetryMilliseconds};
    std::ostream* csv_ = nullptr;
    Fleet fleet_;
};

} // namespace

SummaryStatus RunSummary(const std::vector<std::string>& arguments, std::string_view reportTemplate, FleetFiles& files,
                         std::ostream& out, std::ostream& err)
{
    const Result<SummaryOptions> options = ParseCommandLine(arguments);
    if (!options) {
        err << ProgramName << options.error() << "\n\n" << SummaryUsage;
        return SummaryStatus::Failed;
    }
    const Result<ReportReader> reader = ReportReader::ForTemplate(reportTemplate);
    if (!reader) {
        err << ProgramName << reader.error() << "\n";
        return SummaryStatus::Failed;
    }
    return SummaryRun(*options, *reader, files, out, err).Run();
}

} // namespace Talvane::Nimlo
