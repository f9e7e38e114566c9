#include "files/FileReplacement.h"

#include <algorithm>
#include <utility>

#include "text/NumberFormat.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

// "~", 16 hex digits and ".tmp".
constexpr std::size_t ShortestName = 21;

std::size_t FolderLength(std::u16string_view target)
{
    const std::size_t end = target.find_last_of(u"/\\:");
    return end == std::u16string_view::npos ? 0 : end + 1;
}

} // namespace

std::u16string ReplacementName(std::u16string_view target, std::u16string_view label, std::uint64_t number)
{
    const std::size_t folder = FolderLength(target);
    const std::size_t targetName = target.size() - folder;
    const std::size_t room = targetName > ShortestName ? targetName - ShortestName : 0;
    std::u16string name(target.substr(0, folder));
    name += u'~';
    name += label.substr(0, std::min(room, label.size()));
    name += WidenAscii(FormatHex64(number));
    name += u".tmp";
    return name;
}

FileReplacement::FileReplacement(FileSystem& files, std::u16string target, std::u16string_view label)
    : files_(&files)
    , target_(std::move(target))
{
    for (int attempt = 0; attempt < ReplacementNameTries; ++attempt) {
        const std::optional<std::uint64_t> number = files.UnforeseeableNumber();
        if (!number) {
            break;
        }
        std::u16string name = ReplacementName(target_, label, *number);
        const NewFile created = files.CreateNew(name);
        if (created.file) {
            name_ = std::move(name);
            file_ = created.file;
            creationError_ = 0;
            return;
        }
        creationError_ = created.error;
        if (!created.nameTaken) {
            break;
        }
    }
}

FileReplacement::~FileReplacement()
{
    if (file_) {
        files_->Close(*file_); // never taken: nobody else will close it
    }
    Abandon();
}

std::optional<NativeFile> FileReplacement::TakeFile()
{
    return std::exchange(file_, std::nullopt);
}

void FileReplacement::Abandon()
{
    if (!name_.empty()) {
        files_->Remove(name_);
        name_.clear();
    }
}

FileStatus FileReplacement::PutInPlace(BusyRetries& retries)
{
    if (name_.empty()) {
        return {creationError_ != 0 ? creationError_ : 1};
    }
    Clock& clock = retries.Time();
    std::uint32_t pause = 100;
    std::uint32_t last = clock.Ticks();
    for (;;) {
        const FileStatus renamed = files_->Rename(name_, target_);
        const std::uint32_t now = clock.Ticks();
        retries.Spend(now - last);
        last = now;
        if (renamed.Done()) {
            name_.clear();
            return renamed;
        }
        if (!renamed.inUse || retries.Left() == 0 || files_->Kind(target_) != EntryKind::File) {
            Abandon();
            return renamed;
        }
        clock.Sleep(std::min(pause, retries.Left()));
        pause = std::min(pause + 100, BusyTargetLongestPause);
    }
}

} // namespace Talvane::Nimlo
