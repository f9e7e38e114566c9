#include "summary/Intake.h"

#include <new>
#include <sstream>
#include <utility>

#include "summary/Csv.h"
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

Taken TakePage(const ReportReader& reader, const PageFile& found, std::optional<Result<std::string>> bytes,
               bool csvLines)
{
    try {
        if (!bytes || !*bytes) {
            return Rejection{ShownPath(found.path) + ": cannot be read (" +
                             (bytes ? bytes->error() : std::string("not read")) + ")"};
        }
        const bool large = (*bytes)->size() > LargePageBytes;
        Result<ReportContent> content = reader.Read(*std::move(*bytes));
        if (!content) {
            return Rejection{ShownPath(found.path) + ": not a System Assessment report: " + content.error()};
        }
        TakenReport report{DigestReport(*content), {}, std::nullopt, PathToUtf8(found.path)};
        if (csvLines && large) {
            report.content = *std::move(content);
        } else if (csvLines) {
            std::ostringstream lines;
            WriteCsvLines(lines, *content, report.file);
            report.csvLines = std::move(lines).str();
        }
        return report;
    } catch (const std::bad_alloc&) {
        return Rejection{ShownPath(found.path) + ": cannot be read (not enough memory)"};
    }
}

} // namespace

bool HasBytesToRead(const Found& found)
{
    const auto* note = std::get_if<NoteFile>(&found);
    return std::holds_alternative<PageFile>(found) || (note != nullptr && note->readable);
}

std::optional<Result<std::string>> ReadFound(FileSystem& files, const Found& found)
{
    if (!HasBytesToRead(found)) {
        return std::nullopt;
    }
    try {
        const auto* page = std::get_if<PageFile>(&found);
        FileResult<FileBytes> read = page != nullptr
                                         ? files.Read(page->path.native(), MaxReportBytes)
                                         : files.Read(std::get<NoteFile>(found).path.native(), MaxNoteBytes);
        if (!read) {
            return Failure(read.error().what());
        }
        return std::move(read->bytes);
    } catch (const std::bad_alloc&) {
        return Failure("not enough memory");
    }
}

void WriteCsvLines(std::ostream& out, const TakenReport& report)
{
    if (report.content) {
        WriteCsvLines(out, *report.content, report.file);
    } else {
        out << report.csvLines;
    }
}

Taken Take(const ReportReader& reader, const Found& found, std::optional<Result<std::string>> bytes, bool csvLines)
{
    if (const auto* page = std::get_if<PageFile>(&found)) {
        return TakePage(reader, *page, std::move(bytes), csvLines);
    }
    if (const auto* note = std::get_if<NoteFile>(&found)) {
        return TakeNote(*note, std::move(bytes));
    }
    const auto& passedOver = std::get<PassedOver>(found);
    return Rejection{ShownPath(passedOver.path) + ": " + passedOver.why};
}

} // namespace Talvane::Nimlo
