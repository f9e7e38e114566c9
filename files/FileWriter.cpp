#include "files/FileWriter.h"

#include <algorithm>
#include <utility>

#include "text/NumberFormat.h"

namespace Talvane::Nimlo {
namespace {

// "~", 16 hex digits and ".tmp".
constexpr std::size_t ShortestName = 21;

// The most one platform write is handed: its count fits 32 bits.
constexpr std::size_t LargestWrite = std::size_t{1} << 30;

#ifdef _WIN32
constexpr const PathUnit* Separators = L"/\\:";
#else
constexpr const PathUnit* Separators = "/";
#endif

std::size_t FolderLength(const FilePath& target)
{
    const std::size_t end = target.find_last_of(Separators);
    return end == FilePath::npos ? 0 : end + 1;
}

// Whether what is under the target's name is a regular file that is not
// read-only: only that is worth waiting for.
bool IsWritableFile(const FileResult<Entry>& target)
{
    return target && target->type == EntryType::Regular && !target->readOnly;
}

} // namespace

FilePath ReplacementName(const FilePath& target, std::string_view label, std::uint64_t number)
{
    const std::size_t folder = FolderLength(target);
    const std::size_t targetName = target.size() - folder;
    const std::size_t room = targetName > ShortestName ? targetName - ShortestName : 0;
    FilePath name = target.substr(0, folder);
    name += AsciiPath("~");
    name += AsciiPath(label.substr(0, std::min(room, label.size())));
    name += AsciiPath(FormatHex64(number));
    name += AsciiPath(".tmp");
    return name;
}

FileWriter::FileWriter(FileSystem& files, FilePath target, WriteWay way, std::string_view label)
    : files_(&files)
    , target_(std::move(target))
{
    if (way == WriteWay::Direct) {
        const FileResult<NativeFile> opened = files.OpenExisting(target_);
        if (opened) {
            file_ = *opened;
        } else {
            failure_ = WriteError{WriteStep::Create, opened.error().Code()};
        }
        return;
    }
    failure_ = WriteError{WriteStep::Create}; // until a name is had
    for (int attempt = 0; attempt < ReplacementNameTries; ++attempt) {
        const std::optional<std::uint64_t> number = files.UnforeseeableNumber();
        if (!number) {
            return;
        }
        FilePath name = ReplacementName(target_, label, *number);
        const FileResult<NativeFile> created = files.CreateNew(name);
        if (created) {
            newName_ = std::move(name);
            file_ = *created;
            failure_.reset();
            return;
        }
        failure_->code = created.error().Code();
        if (!created.error().Is(Condition::NameTaken)) {
            return;
        }
    }
}

FileWriter::FileWriter(FileWriter&& other) noexcept
    : files_(other.files_)
    , target_(std::move(other.target_))
    , newName_(std::exchange(other.newName_, {}))
    , file_(std::exchange(other.file_, std::nullopt))
    , failure_(other.failure_)
{}

WriteResult FileWriter::Fail(WriteStep step, std::optional<SystemCode> code, bool inUse)
{
    failure_ = WriteError{step, code, inUse};
    Abandon();
    return Failure(*failure_);
}

void FileWriter::Abandon()
{
    if (file_) {
        files_->Close(*std::exchange(file_, std::nullopt));
    }
    if (!newName_.empty()) {
        files_->Remove(newName_);
        newName_.clear();
    }
}

WriteResult FileWriter::Write(std::string_view bytes)
{
    if (failure_) {
        return Failure(*failure_);
    }
    if (!file_) {
        return Failure(WriteError{WriteStep::Write}); // finished or abandoned: nothing to write into
    }
    while (!bytes.empty()) {
        const std::string_view piece = bytes.substr(0, LargestWrite);
        if (const FileStatus written = files_->Write(*file_, piece); !written) {
            return Fail(WriteStep::Write, written.error().Code());
        }
        bytes.remove_prefix(piece.size());
    }
    return {};
}

WriteResult FileWriter::Finish(BusyRetries& retries)
{
    if (failure_) {
        return Failure(*failure_);
    }
    if (!file_) {
        return {};
    }
    if (newName_.empty()) {
        // Nothing to flush on a device or a FIFO: a failed close is the last word on what was written.
        if (const FileStatus closed = files_->Close(*std::exchange(file_, std::nullopt)); !closed) {
            return Fail(WriteStep::Close, closed.error().Code());
        }
        return {};
    }
    if (const FileStatus flushed = files_->Flush(*file_); !flushed) {
        return Fail(WriteStep::Flush, flushed.error().Code());
    }
    // The bytes are on the storage now: a close that fails after the flush
    // loses nothing, and the handle is gone either way.
    files_->Close(*std::exchange(file_, std::nullopt));
    return PutInPlace(retries);
}

WriteResult FileWriter::PutInPlace(BusyRetries& retries)
{
    Clock& clock = retries.TickClock();
    std::uint32_t pause = 100;
    std::uint32_t last = clock.Ticks();
    for (;;) {
        const FileStatus renamed = files_->Rename(newName_, target_);
        const std::uint32_t now = clock.Ticks();
        retries.Spend(now - last);
        last = now;
        if (renamed) {
            newName_.clear();
            return {};
        }
        const SystemError& refusal = renamed.error();
        const bool inUse = refusal.Is(Condition::InUse);
        if (!inUse || retries.Left() == 0 || !IsWritableFile(files_->Examine(target_, Links::Keep))) {
            return Fail(WriteStep::Rename, refusal.Code(), inUse);
        }
        clock.Sleep(std::min(pause, retries.Left()));
        pause = std::min(pause + 100, BusyTargetLongestPause);
    }
}

} // namespace Talvane::Nimlo
