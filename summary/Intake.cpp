#include "summary/Intake.h"

#include <new>

#include "summary/Paths.h"

namespace Talvane::Nimlo {
namespace {

namespace fs = std::filesystem;

TakenNote TakeNote(FleetFiles& files, const NoteFile& found)
{
    std::string why;
    if (!found.readable) {
        why = found.readable.error();
    } else if (const Result<std::string> bytes = files.Read(found.path, MaxNoteBytes); bytes) {
        return {ParseNote(*bytes), PathToUtf8(found.path), std::nullopt};
    } else {
        why = "cannot be read (" + bytes.error() + ")";
    }
    return {HostNote{NoteKind::Other, "note not read: " + why}, PathToUtf8(found.path),
            ShownPath(found.path) + ": a note not read: " + why + "; its host is counted as not assessed"};
}

Taken TakePage(FleetFiles& files, const ReportReader& reader, const PageFile& found)
{
    Result<ReportContent> content = ReadPage(files, reader, found.path);
    if (!content) {
        return Rejection{ShownPath(found.path) + ": " + content.error()};
    }
    return TakenReport{*std::move(content), PathToUtf8(found.path)};
}

} // namespace

Result<ReportContent> ReadPage(FleetFiles& files, const ReportReader& reader, const fs::path& page)
{
    try {
        Result<std::string> bytes = files.Read(page, MaxReportBytes);
        if (!bytes) {
            return Failure("cannot be read (" + bytes.error() + ")");
        }
        Result<ReportContent> content = reader.Read(*std::move(bytes));
        if (!content) {
            return Failure("not a System Assessment report: " + content.error());
        }
        return content;
    } catch (const std::bad_alloc&) {
        return Failure("cannot be read (not enough memory)");
    }
}

Taken TakeIn(FleetFiles& files, const ReportReader& reader, const Found& found)
{
    if (const auto* page = std::get_if<PageFile>(&found)) {
        return TakePage(files, reader, *page);
    }
    if (const auto* note = std::get_if<NoteFile>(&found)) {
        return TakeNote(files, *note);
    }
    const auto& passedOver = std::get<PassedOver>(found);
    return Rejection{ShownPath(passedOver.path) + ": " + passedOver.why};
}

} // namespace Talvane::Nimlo
