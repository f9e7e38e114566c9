#include "summary/OutputFile.h"

#include <utility>

#include "summary/ReportFiles.h"

namespace Talvane::Nimlo {
namespace {

namespace fs = std::filesystem;

// Links followed in a row before a name is taken to loop.
constexpr int MostLinks = 40;

fs::path FolderOf(const fs::path& path)
{
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

} // namespace

Result<OutputTarget> CheckOutput(FleetFiles& files, const std::string& name)
{
    fs::path path = PathFromUtf8(name);
    for (int links = 0;; ++links) {
        const std::optional<fs::path> target = files.LinkTarget(path);
        if (!target) {
            break;
        }
        if (links == MostLinks) {
            return Failure("a link that loops, or too many links in a row");
        }
        path = target->is_absolute() ? *target : FolderOf(path) / *target;
    }
    const Result<Entry> examined = files.Examine(path);
    if (!examined) {
        return Failure(examined.error());
    }
    const Entry& entry = *examined;
    if (entry.isLink) {
        return Failure("a link that cannot be followed here; name the file it leads to");
    }
    switch (entry.type) {
    case EntryType::Folder:
        return Failure("is a folder");
    case EntryType::Other:
        return OutputTarget{name, path, WriteWay::Direct, entry.identity};
    case EntryType::Regular:
        return OutputTarget{name, path, WriteWay::Replace, entry.identity};
    case EntryType::Missing:
        break;
    }
    if (const Result<Entry> folder = files.Examine(FolderOf(path)); !folder || folder->type != EntryType::Folder) {
        return Failure("the folder " + ShownPath(FolderOf(path)) + " does not exist");
    }
    return OutputTarget{name, path, WriteWay::Replace, std::nullopt};
}

bool SameFile(const OutputTarget& a, const OutputTarget& b)
{
    // Devices may share an identity (Windows gives them none): two of them
    // are one only by name.
    if (a.identity && b.identity && a.way == WriteWay::Replace && b.way == WriteWay::Replace) {
        return *a.identity == *b.identity;
    }
    std::error_code error;
    return fs::absolute(a.path, error).lexically_normal() == fs::absolute(b.path, error).lexically_normal();
}

std::string OutputProblem(const WriteError& error)
{
    if (error.inUse) {
        return "is open in another program; close it and run again";
    }
    return WithCode("could not be written", error.code);
}

OutputFile::Buffer::Buffer(FileWriter& writer) : writer_(writer)
{
    setp(bytes_.data(), bytes_.data() + bytes_.size());
}

// Hands what is collected to the writer, which keeps its first failure.
bool OutputFile::Buffer::Drain()
{
    const std::string_view pending(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    setp(bytes_.data(), bytes_.data() + bytes_.size());
    return writer_.Write(pending).has_value();
}

OutputFile::Buffer::int_type OutputFile::Buffer::overflow(int_type c)
{
    if (!Drain()) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

OutputFile::OutputFile(FleetFiles& files, OutputTarget target)
    : target_(std::move(target))
    , writer_(files.Writing(), FileNameOf(target_.path), target_.way)
    , buffer_(writer_)
    , stream_(&buffer_)
{}

WriteResult OutputFile::Finish(BusyRetries& retries)
{
    stream_.flush(); // a failed write is kept by the writer, and Finish gives it
    return writer_.Finish(retries);
}

} // namespace Talvane::Nimlo
