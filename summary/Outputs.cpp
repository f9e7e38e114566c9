#include "summary/Outputs.h"

#include <utility>

#include "summary/Paths.h"

namespace Talvane::Nimlo {
namespace {

namespace fs = std::filesystem;

// Links followed in a row before a name is taken to loop.
constexpr int MostLinks = 40;

} // namespace

Result<OutputTarget> CheckOutput(FileSystem& files, const std::string& name)
{
    fs::path path = PathFromUtf8(name);
    for (int links = 0;; ++links) {
        const std::optional<FilePath> target = files.LinkTarget(path.native());
        if (!target) {
            break;
        }
        if (links == MostLinks) {
            return Failure("a link that loops, or too many links in a row");
        }
        const fs::path link(*target);
        path = link.is_absolute() ? link : FolderOf(path) / link;
    }
    const FileResult<Entry> examined = files.Examine(path.native(), Links::Follow);
    if (!examined) {
        return Failure(examined.error().what());
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
    if (const FileResult<Entry> folder = files.Examine(FolderOf(path).native(), Links::Follow);
        !folder || folder->type != EntryType::Folder) {
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

OutputFile::OutputFile(FileSystem& files, OutputTarget target)
    : target_(std::move(target))
    , writer_(files, target_.path.native(), target_.way)
    , buffer_(writer_)
    , stream_(&buffer_)
{}

WriteResult OutputFile::Finish(BusyRetries& retries)
{
    stream_.flush(); // a failed write is kept by the writer, and Finish gives it
    return writer_.Finish(retries);
}

Outputs::Outputs(const SummaryOptions& options)
    : outputs_{{{"--csv", options.csvFile, {}, {}},
                {"--html", options.htmlFile, {}, {}},
                {"--machines", options.machinesFile, {}, {}}}}
{}

Result<void> Outputs::Check(FileSystem& files)
{
    for (Output& output : outputs_) {
        if (!output.name) {
            continue;
        }
        Result<OutputTarget> target = CheckOutput(files, *output.name);
        if (!target) {
            return Failure(ShownUtf8Path(*output.name) + ": cannot be written: " + target.error());
        }
        output.target = *std::move(target);
    }
    for (std::size_t i = 0; i < outputs_.size(); ++i) {
        for (std::size_t j = i + 1; j < outputs_.size(); ++j) {
            const Output& a = outputs_[i];
            const Output& b = outputs_[j];
            if (a.target && b.target && SameFile(*a.target, *b.target)) {
                return Failure(std::string(a.option) + " and " + b.option +
                               " name the same file: " + ShownUtf8Path(*b.name));
            }
        }
    }
    return {};
}

Result<void> Outputs::Open(FileSystem& files)
{
    for (Output& output : outputs_) {
        if (!output.target) {
            continue;
        }
        output.file = std::make_unique<OutputFile>(files, *output.target);
        if (const WriteResult opened = output.file->Status(); !opened) {
            return Failure(WithCode(ShownUtf8Path(*output.name) + ": cannot be written", opened.error().code));
        }
    }
    return {};
}

std::optional<std::string> Outputs::NameOf(FileIdentity identity) const
{
    for (const Output& output : outputs_) {
        if (output.target && output.target->identity == identity) {
            return output.name;
        }
    }
    return std::nullopt;
}

std::ostream* Outputs::Stream(NamedOutput output)
{
    const std::unique_ptr<OutputFile>& file = outputs_[static_cast<std::size_t>(output)].file;
    return file ? &file->Stream() : nullptr;
}

const OutputTarget* Outputs::Target(NamedOutput output) const
{
    const std::optional<OutputTarget>& target = outputs_[static_cast<std::size_t>(output)].target;
    return target ? &*target : nullptr;
}

std::vector<std::string> Outputs::Finish(BusyRetries& retries)
{
    std::vector<std::string> failures;
    for (Output& output : outputs_) {
        if (!output.file) {
            continue;
        }
        if (const WriteResult finished = output.file->Finish(retries); !finished) {
            failures.push_back(ShownUtf8Path(*output.name) + ": " + OutputProblem(finished.error()));
        }
    }
    return failures;
}

} // namespace Talvane::Nimlo
