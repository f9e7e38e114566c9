#include "summary/OutputFile.h"

#include <cerrno>
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

std::string OutputProblem(const FileStatus& status)
{
    return status.inUse ? "is open in another program; close it and run again" : "could not be written";
}

OutputFile::Buffer::Buffer(FileSystem& files, std::optional<NativeFile>& file) : files_(files), file_(file)
{
    setp(bytes_.data(), bytes_.data() + bytes_.size());
}

bool OutputFile::Buffer::Drain()
{
    const std::string_view pending(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    if (failure_.Done() && !pending.empty()) {
        if (!file_) {
            failure_ = {EIO};
        } else if (const Written written = files_.Write(*file_, pending); written.count != pending.size()) {
            failure_ = {written.error != 0 ? written.error : EIO};
        }
    }
    setp(bytes_.data(), bytes_.data() + bytes_.size());
    return failure_.Done();
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

OutputFile::OutputFile(FleetFiles& files, BusyRetries& retries, OutputTarget target)
    : files_(files.Writing())
    , retries_(retries)
    , target_(std::move(target))
    , buffer_(files_, file_)
    , stream_(&buffer_)
{
    if (target_.way == OutputWay::Direct) {
        file_ = files_.OpenExisting(FileNameOf(target_.path)).file;
        return;
    }
    file_ = replacement_.emplace(files_, FileNameOf(target_.path), u"").TakeFile();
}

OutputFile::~OutputFile()
{
    if (file_) {
        files_.Close(*file_); // before the replacement, if any, removes the new file
    }
}

FileStatus OutputFile::Finish()
{
    if (!file_) {
        return {replacement_ && replacement_->CreationError() != 0 ? replacement_->CreationError() : EIO};
    }
    stream_.flush();
    FileStatus status = buffer_.Drain() ? FileStatus{} : buffer_.Failure();
    if (status.Done() && replacement_) {
        status = files_.Flush(*file_);
    }
    const FileStatus closed = files_.Close(*std::exchange(file_, std::nullopt));
    if (status.Done()) {
        status = closed;
    }
    if (!replacement_) {
        return status;
    }
    if (!status.Done()) {
        replacement_->Abandon();
        return status;
    }
    return replacement_->PutInPlace(retries_);
}

} // namespace Talvane::Nimlo
