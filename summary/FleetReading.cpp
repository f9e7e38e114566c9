#include "summary/FleetReading.h"

#include <optional>
#include <string>
#include <variant>

#include "summary/Csv.h"
#include "summary/Intake.h"
#include "summary/Options.h"
#include "summary/Paths.h"
#include "summary/Progress.h"

namespace Talvane::Nimlo {

bool ReadFleet(Search& search, FleetFiles& files, const ReportReader& reader, const Outputs& outputs, Fleet& fleet,
               std::ostream* longCsv, std::ostream& err)
{
    Progress progress(err, files.StandardErrorIsTerminal());
    std::size_t read = 0;
    while (const std::optional<Found> found = search.Next()) {
        if (const auto* page = std::get_if<PageFile>(&*found)) {
            if (const std::optional<std::string> output = outputs.NameOf(page->identity)) {
                if (!ReadPage(files, reader, page->path)) {
                    continue;
                }
                progress.Clear();
                err << ProgramName << ShownUtf8Path(*output) << " is a report to be read; it is not overwritten\n";
                return false;
            }
        }
        const Taken taken = TakeIn(files, reader, *found);
        if (const auto* report = std::get_if<TakenReport>(&taken)) {
            if (longCsv != nullptr) {
                WriteCsvLines(*longCsv, report->content, report->file);
            }
            fleet.Add(report->content, report->file);
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
