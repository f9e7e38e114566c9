#include "summary/OutputFile.h"

#include "summary/ReportFiles.h"
#include "text/NumberFormat.h"

namespace Talvane::Nimlo {
namespace {

namespace fs = std::filesystem;

// Links followed in a row before a name is taken to loop.
constexpr int MostLinks = 40;
constexpr int NameTries = 16;

fs::path FolderOf(const fs::path& path)
{
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

} // namespace

OutputCheck CheckOutput(FleetFiles& files, const std::string& name)
{
    fs::path path = PathFromUtf8(name);
    for (int links = 0;; ++links) {
        const std::optional<fs::path> target = files.LinkTarget(path);
        if (!target) {
            break;
        }
        if (links == MostLinks) {
            return {std::nullopt, "a link that loops, or too many links in a row"};
        }
        path = target->is_absolute() ? *target : FolderOf(path) / *target;
    }
    const Entry entry = files.Examine(path);
    if (!entry.problem.empty()) {
        return {std::nullopt, entry.problem};
    }
    if (entry.isLink) {
        return {std::nullopt, "a link that cannot be followed here; name the file it leads to"};
    }
    switch (entry.type) {
    case EntryType::Folder:
        return {std::nullopt, "is a folder"};
    case EntryType::Other:
        return {OutputTarget{name, path, OutputWay::Direct, entry.identity}, {}};
    case EntryType::Regular:
        return {OutputTarget{name, path, OutputWay::Replace, entry.identity}, {}};
    case EntryType::Missing:
        break;
    }
    const Entry folder = files.Examine(FolderOf(path));
    if (folder.type != EntryType::Folder) {
        return {std::nullopt, "the folder " + ShownPath(FolderOf(path)) + " does not exist"};
    }
    return {OutputTarget{name, path, OutputWay::Replace, std::nullopt}, {}};
}

bool SameFile(const OutputTarget& a, const OutputTarget& b)
{
    // Devices may share an identity (Windows gives them none): two of them
    // are one only by name.
    if (a.identity && b.identity && a.way == OutputWay::Replace && b.way == OutputWay::Replace) {
        return *a.identity == *b.identity;
    }
    std::error_code error;
    return fs::absolute(a.path, error).lexically_normal() == fs::absolute(b.path, error).lexically_normal();
}

OutputFile::Buffer::Buffer(FleetFiles& files, std::optional<NativeFile>& file) : files_(files), file_(file)
{
    setp(bytes_.data(), bytes_.data() + bytes_.size());
}

bool OutputFile::Buffer::Drain()
{
    const std::string_view pending(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    if (!failed_ && !pending.empty()) {
        failed_ = !file_ || !files_.Write(*file_, pending);
    }
    setp(bytes_.data(), bytes_.data() + bytes_.size());
    return !failed_;
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
    : files_(files)
    , target_(std::move(target))
    , buffer_(files, file_)
    , stream_(&buffer_)
{
    if (target_.way == OutputWay::Direct) {
        file_ = files_.OpenExisting(target_.path);
        return;
    }
    for (int attempt = 0; attempt < NameTries && !file_; ++attempt) {
        const std::optional<std::uint64_t> number = files_.UnforeseeableNumber();
        if (!number) {
            break;
        }
        fs::path pending = target_.path;
        pending += ".";
        pending += FormatHex64(*number);
        pending += ".partial";
        const NewFile created = files_.CreateNew(pending);
        if (created.file) {
            file_ = created.file;
            pending_ = std::move(pending);
        } else if (!created.nameTaken) {
            break;
        }
    }
}

OutputFile::~OutputFile()
{
    CloseAndRemove();
}

void OutputFile::CloseAndRemove()
{
    if (file_) {
        files_.Close(*file_);
        file_.reset();
    }
    if (!pending_.empty()) {
        files_.Remove(pending_);
        pending_.clear();
    }
}

bool OutputFile::Finish()
{
    bool written = file_.has_value() && stream_.flush() && buffer_.Drain();
    if (written && target_.way == OutputWay::Replace) {
        written = files_.Flush(*file_);
    }
    if (file_) {
        written = files_.Close(*file_) && written;
        file_.reset();
    }
    if (written && !pending_.empty()) {
        written = files_.Rename(pending_, target_.path);
        if (written) {
            pending_.clear();
        }
    }
    CloseAndRemove();
    return written;
}

} // namespace Talvane::Nimlo
