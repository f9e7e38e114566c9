#include "summary/FleetReading.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "summary/Intake.h"
#include "summary/Paths.h"
#include "summary/PooledIntake.h"
#include "summary/Progress.h"
#include "summary/Search.h"

namespace Talvane::Nimlo {

bool ReadFleet(const SummaryOptions& options, SummaryServices& services, const ReportReader& reader,
               const Outputs& outputs, Fleet& fleet, std::ostream* longCsv, std::ostream& err)
{
    FileSystem& files = services.Files();
    // The files lane has a thread for each request in flight, the parsing lane one a core.
    const std::vector<std::size_t> threads{options.jobs, ProcessorCount()};
    PoolJobs jobs(services.Pool(threads), threads);
    Search search(files, jobs, options.paths, options.jobs * MostFilesAJob);
    // Room for the reads in flight, the pages being parsed and those done behind a slow one.
    PooledIntake intake(files, reader, longCsv != nullptr, jobs, search, 2 * options.jobs * MostFilesAJob);

    Progress progress(err, services.StandardErrorIsTerminal());
    std::size_t read = 0;
    while (const std::optional<Intaken> next = intake.Next()) {
        const Taken& taken = next->taken;
        if (const auto* page = std::get_if<PageFile>(&next->found)) {
            if (const std::optional<std::string> output = outputs.NameOf(page->identity)) {
                if (!std::holds_alternative<TakenReport>(taken)) {
                    continue;
                }
                progress.Clear();
                err << ProgramName << ShownUtf8Path(*output) << " is a report to be read; it is not overwritten\n";
                return false;
            }
        }
        if (const auto* report = std::get_if<TakenReport>(&taken)) {
            if (longCsv != nullptr) {
                WriteCsvLines(*longCsv, *report);
            }
            fleet.Add(report->digest, report->file);
            progress.Read(++read);
        } else if (const auto* note = std::get_if<TakenNote>(&taken)) {
            if (note->message) {
                progress.Clear();
                err << *note->message << "\n";
            }
            fleet.AddNote(note->note, note->file);
        } else {
            progress.Clear();
            err << std::get<Rejection>(taken).message << "\n";
            fleet.AddRejected();
        }
    }
    return true;
}

} // namespace Talvane::Nimlo
