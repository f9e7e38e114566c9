#include "summary/RunSummary.h"

#include <algorithm>
#include <memory>
#include <new>
#include <optional>

#include "report/ReportReader.h"
#include "summary/CommandLine.h"
#include "summary/CsvReport.h"
#include "summary/FleetSummary.h"
#include "summary/OutputFile.h"
#include "summary/Overview.h"
#include "summary/ReportFiles.h"

namespace Talvane::Nimlo {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view ProgramName = "SystemAssessmentSummary: ";

// One run, step by step: check the outputs, find the reports, keep the
// outputs off the inputs, open the outputs, read every report, write.
class SummaryRun {
public:
    SummaryRun(const SummaryOptions& options, const ReportReader& reader, FleetFiles& files, std::ostream& out,
               std::ostream& err)
        : options_(options)
        , reader_(reader)
        , files_(files)
        , out_(out)
        , err_(err)
    {}

    int Run()
    {
        if (!CheckOutputs()) {
            return SummaryUsageError;
        }
        found_ = FindReports(files_, options_.paths);
        for (const std::string& problem : found_.problems) {
            err_ << problem << "\n";
        }
        rejected_ = found_.problems.size();
        if (!KeepOutputsOffInputs() || !OpenOutputs()) {
            return SummaryUsageError;
        }
        ReadReports();
        SortAndMarkDuplicates(machines_);
        const FleetCounts counts = CountFleet(machines_, rejected_);
        if (machines_.empty()) {
            err_ << "no report could be read from the paths given; nothing written\n";
            err_ << ClosingLine(counts) << "\n";
            return SummaryRejectedFiles;
        }
        const bool written = WriteOutputs(counts);
        err_ << ClosingLine(counts) << "\n";
        if (!written) {
            return SummaryUsageError;
        }
        return rejected_ > 0 ? SummaryRejectedFiles : SummaryOk;
    }

private:
    bool Fail(const std::string& message)
    {
        err_ << ProgramName << message << "\n";
        return false;
    }

    bool CheckOutputs()
    {
        for (const auto& [name, target] :
             {std::pair{options_.csvFile, &csvTarget_}, {options_.htmlFile, &htmlTarget_}}) {
            if (!name) {
                continue;
            }
            OutputCheck check = CheckOutput(files_, *name);
            if (!check.target) {
                return Fail(ShownPath(PathFromUtf8(*name)) + ": cannot be written: " + check.problem);
            }
            *target = std::move(check.target);
        }
        if (csvTarget_ && htmlTarget_ && SameFile(*csvTarget_, *htmlTarget_)) {
            return Fail("--csv and --html name the same file: " + ShownPath(PathFromUtf8(*options_.htmlFile)));
        }
        return true;
    }

    // An output that is one of the reports would destroy it: refused. An
    // output that is no report (the overview of an earlier run, met in a
    // searched folder) is just not read.
    bool KeepOutputsOffInputs()
    {
        for (const std::optional<OutputTarget>& target : {csvTarget_, htmlTarget_}) {
            if (!target || !target->identity) {
                continue;
            }
            const auto same = [&](const FoundReport& found) { return found.identity == *target->identity; };
            const auto input = std::find_if(found_.files.begin(), found_.files.end(), same);
            if (input == found_.files.end()) {
                continue;
            }
            if (Read(input->path).content) {
                return Fail(ShownPath(PathFromUtf8(target->name)) + " is a report to be read; it is not overwritten");
            }
            found_.files.erase(input);
        }
        return true;
    }

    bool OpenOutputs()
    {
        for (const auto& [target, output] : {std::pair{&csvTarget_, &csvFile_}, {&htmlTarget_, &htmlFile_}}) {
            if (!*target) {
                continue;
            }
            *output = std::make_unique<OutputFile>(files_, **target);
            if (!(*output)->IsOpen()) {
                return Fail(ShownPath(PathFromUtf8((*target)->name)) + ": cannot be written");
            }
        }
        csv_ = csvFile_ ? &csvFile_->Stream() : (htmlFile_ ? nullptr : &out_);
        if (csv_ != nullptr) {
            *csv_ << CsvStart();
        }
        return true;
    }

    ReportReading Read(const fs::path& path)
    {
        try {
            FileContents contents = files_.Read(path, MaxReportBytes);
            if (!contents.bytes) {
                return {std::nullopt, "cannot be read (" + contents.problem + ")"};
            }
            ReportReading reading = reader_.Read(*contents.bytes);
            if (!reading.content) {
                reading.problem = "not a System Assessment report: " + reading.problem;
            }
            return reading;
        } catch (const std::bad_alloc&) {
            return {std::nullopt, "cannot be read (not enough memory)"};
        }
    }

    void ReadReports()
    {
        const fs::path overviewFolder =
            htmlTarget_ && htmlTarget_->path.has_parent_path() ? htmlTarget_->path.parent_path() : fs::path(".");
        for (const FoundReport& found : found_.files) {
            const ReportReading reading = Read(found.path);
            if (!reading.content) {
                err_ << ShownPath(found.path) << ": " << reading.problem << "\n";
                ++rejected_;
                continue;
            }
            const std::string name = PathToUtf8(found.path);
            if (csv_ != nullptr) {
                WriteCsvLines(*csv_, *reading.content, name);
            }
            machines_.push_back(SummarizeReport(*reading.content, name, RelativeHref(overviewFolder, found.path)));
        }
    }

    bool WriteOutputs(const FleetCounts& counts)
    {
        bool written = true;
        if (htmlFile_) {
            htmlFile_->Stream() << RenderOverview(machines_, counts);
        }
        for (const std::unique_ptr<OutputFile>* output : {&csvFile_, &htmlFile_}) {
            if (*output && !(*output)->Finish()) {
                written = Fail(ShownPath(PathFromUtf8((*output)->Target().name)) + ": could not be written");
            }
        }
        if (csv_ == &out_) {
            out_.flush();
            if (!out_) {
                written = Fail("the CSV could not be written to standard output");
            }
        }
        return written;
    }

    const SummaryOptions& options_;
    const ReportReader& reader_;
    FleetFiles& files_;
    std::ostream& out_;
    std::ostream& err_;

    std::optional<OutputTarget> csvTarget_;
    std::optional<OutputTarget> htmlTarget_;
    FoundReports found_;
    std::size_t rejected_ = 0;
    std::unique_ptr<OutputFile> csvFile_;
    std::unique_ptr<OutputFile> htmlFile_;
    std::ostream* csv_ = nullptr;
    std::vector<MachineEntry> machines_;
};

} // namespace

int RunSummary(const std::vector<std::string>& arguments, std::string_view reportTemplate, FleetFiles& files,
               std::ostream& out, std::ostream& err)
{
    const ParsedCommandLine command = ParseCommandLine(arguments);
    if (!command.options) {
        err << ProgramName << command.error << "\n\n" << SummaryUsage;
        return SummaryUsageError;
    }
    const ReaderMaking made = ReportReader::ForTemplate(reportTemplate);
    if (!made.reader) {
        err << ProgramName << made.problem << "\n";
        return SummaryUsageError;
    }
    return SummaryRun(*command.options, *made.reader, files, out, err).Run();
}

} // namespace Talvane::Nimlo
