#include "summary/RunSummary.h"

#include <fstream>
#include <memory>
#include <optional>

#include "report/ReportReader.h"
#include "summary/CommandLine.h"
#include "summary/CsvReport.h"
#include "summary/FleetSummary.h"
#include "summary/Overview.h"
#include "summary/ReportFiles.h"

namespace Talvane::Nimlo {
namespace {

namespace fs = std::filesystem;

// An output file, written as a whole only: the bytes go to a file beside it,
// which takes its name once everything is written.
class OutputFile {
public:
    explicit OutputFile(const std::string& name)
        : path_(PathFromUtf8(name))
        , partial_(fs::path(path_).concat(".partial"))
        , stream_(partial_, std::ios::binary | std::ios::trunc)
    {}

    bool IsOpen() const { return stream_.is_open(); }
    std::ostream& Stream() { return stream_; }

    // False when the file could not be written.
    bool Finish()
    {
        stream_.close();
        std::error_code error;
        if (stream_.fail()) {
            fs::remove(partial_, error);
            return false;
        }
        fs::rename(partial_, path_, error);
        return !error;
    }

    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
    fs::path partial_;
    std::ofstream stream_;
};

} // namespace

int RunSummary(const std::vector<std::string>& arguments, std::string_view reportTemplate, std::ostream& out,
               std::ostream& err)
{
    const ParsedCommandLine command = ParseCommandLine(arguments);
    if (!command.options) {
        err << "SystemAssessmentSummary: " << command.error << "\n\n" << SummaryUsage;
        return SummaryUsageError;
    }
    const SummaryOptions& options = *command.options;

    std::unique_ptr<OutputFile> csvFile;
    if (options.csvFile) {
        csvFile = std::make_unique<OutputFile>(*options.csvFile);
        if (!csvFile->IsOpen()) {
            err << "SystemAssessmentSummary: cannot write " << *options.csvFile << "\n";
            return SummaryUsageError;
        }
    }
    std::ostream* csv = csvFile ? &csvFile->Stream() : (options.htmlFile ? nullptr : &out);
    const std::optional<fs::path> overview =
        options.htmlFile ? std::optional(PathFromUtf8(*options.htmlFile)) : std::nullopt;
    const fs::path overviewFolder = overview ? overview->parent_path() : fs::path(".");

    const FoundReports found = FindReports(options.paths, overview);
    std::size_t rejected = found.problems.size();
    for (const std::string& problem : found.problems) {
        err << problem << "\n";
    }

    const ReportReader reader(reportTemplate);
    std::vector<MachineEntry> machines;
    if (csv != nullptr) {
        *csv << CsvStart();
    }
    for (const fs::path& file : found.files) {
        const std::string name = PathToUtf8(file);
        const std::optional<std::string> page = ReadWholeFile(file);
        if (!page) {
            err << name << ": cannot be read\n";
            ++rejected;
            continue;
        }
        const ReportReading reading = reader.Read(*page);
        if (!reading.content) {
            err << name << ": not a System Assessment report: " << reading.problem << "\n";
            ++rejected;
            continue;
        }
        if (csv != nullptr) {
            WriteCsvLines(*csv, *reading.content, name);
        }
        machines.push_back(SummarizeReport(*reading.content, name, RelativeHref(overviewFolder, file)));
    }

    SortAndMarkDuplicates(machines);
    const FleetCounts counts = CountFleet(machines, rejected);
    bool written = true;
    if (csvFile && !csvFile->Finish()) {
        err << "SystemAssessmentSummary: could not write " << *options.csvFile << "\n";
        written = false;
    }
    if (overview) {
        OutputFile page(*options.htmlFile);
        page.Stream() << RenderOverview(machines, counts);
        if (!page.IsOpen() || !page.Finish()) {
            err << "SystemAssessmentSummary: could not write " << *options.htmlFile << "\n";
            written = false;
        }
    }
    if (csv == &out) {
        out.flush();
        written = written && static_cast<bool>(out);
    }
    err << ClosingLine(counts) << "\n";
    if (!written) {
        return SummaryUsageError;
    }
    return rejected > 0 ? SummaryRejectedFiles : SummaryOk;
}

} // namespace Talvane::Nimlo
