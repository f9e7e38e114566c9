#include "summary/Intake.h"

#include <new>
#include <utility>

#include "summary/Paths.h"

namespace Talvane::Nimlo {
namespace {

namespace fs = std::filesystem;

TakenNote NoteNotRead(const fs::path& path, const std::string& why)
{
    return {HostNote{NoteKind::Other, "note not read: " + why}, PathToUtf8(path),
            ShownPath(path) + ": a note not read: " + why + "; its host is counted as not assessed"};
}

TakenNote TakeNote(const NoteFile& found, std::optional<Result<std::string>> bytes)
{
    if (!found.readable) {
        return NoteNotRead(found.path, found.readable.error());
    }
    if (!bytes || !*bytes) {
        return NoteNotRead(found.path, "cannot be read (" + (bytes ? bytes->error() : std::string("not read")) + ")");
    }
    return {ParseNote(**bytes), PathToUtf8(found.path), std::nullopt};
}

Taken TakePage(const ReportReader& reader, const PageFile& found, std::optional<Result<std::string>> bytes)
{
    try {
        if (!bytes || !*bytes) {
            return Rejection{ShownPath(found.path) + ": cannot be read (" +
                             (bytes ? bytes->error() : std::string("not read")) + ")"};
        }
        Result<ReportContent> content = reader.Read(*std::move(*bytes));
        if (!content) {
            return Rejection{ShownPath(found.path) + ": not a System Assessment report: " + content.error()};
        }
        return TakenReport{*std::move(content), PathToUtf8(found.path)};
    } catch (const std::bad_alloc&) {
        return Rejection{ShownPath(found.path) + ": cannot be read (not enough memory)"};
    }
}

} // namespace

std::optional<Result<std::string>> ReadFound(FleetFiles& files, const Found& found)
{
    const auto* page = std::get_if<PageFile>(&found);
    const auto* note = std::get_if<NoteFile>(&found);
    if (page == nullptr && (note == nullptr || !note->readable)) {
        return std::nullopt;
    }
    try {
        return page != nullptr ? files.Read(page->path, MaxReportBytes) : files.Read(note->path, MaxNoteBytes);
    } catch (const std::bad_alloc&) {
        return Failure("not enough memory");
    }
}

Taken Take(const ReportReader& reader, const Found& found, std::optional<Result<std::string>> bytes)
{
    if (const auto* page = std::get_if<PageFile>(&found)) {
        return TakePage(reader, *page, std::move(bytes));
    }
    if (const auto* note = std::get_if<NoteFile>(&found)) {
        return TakeNote(*note, std::move(bytes));
    }
    const auto& passedOver = std::get<PassedOver>(found);
    return Rejection{ShownPath(passedOver.path) + ": " + passedOver.why};
}

Taken TakeIn(FleetFiles& files, const ReportReader& reader, const Found& found)
{
    return Take(reader, found, ReadFound(files, found));
}

} // namespace Talvane::Nimlo
