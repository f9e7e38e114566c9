#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "files/BusyRetries.h"
#include "platform/FileSystem.h"
#include "platform/Result.h"

namespace Talvane::Nimlo {

// How many fresh names are tried before the new file is given up.
inline constexpr int ReplacementNameTries = 16;

// The name of a new file beside `target` (in its folder, the part up to the
// last separator: '/', and on Windows '\\' or ':' too): "~", as much of the
// ASCII `label` as fits, 16 hex digits of `number`, ".tmp". It never ends like
// a page (.htm, .html), so nothing that collects pages takes a half-written
// one for a finished one, and it is no longer than the target's own name where
// that is at least 21 units, else at most 21, so a folder that has room for
// the target has room for it.
FilePath ReplacementName(const FilePath& target, std::string_view label, std::uint64_t number);

// How the bytes reach the target.
enum class WriteWay : std::uint8_t {
    // Into a new file beside the target, created only where nothing of its
    // name exists, under a name nobody can have prepared; once written,
    // flushed and closed it takes the target's name in one step that
    // replaces the name itself and never writes through a link planted
    // there. Until then the target stays as it was.
    Replace,
    // Into what is there already (a device, a FIFO, a terminal), as a shell
    // redirection would: nothing is created, truncated or renamed.
    Direct
};

// The step of a write that failed.
enum class WriteStep : std::uint8_t { Create, Write, Flush, Close, Rename };

// Why a file could not be written: the step, and the system's code where it
// gave one (a write that comes up short gives none, as does a platform with
// no unforeseeable number for a new name).
struct WriteError {
    WriteStep step = WriteStep::Create;
    std::optional<SystemCode> code = std::nullopt;
    bool inUse = false; // the target is held open by another program
};

using WriteResult = Result<void, WriteError>;

// The one owner of a file being written, from its creation to its rename or
// its removal: the program's report and every output of the summary go
// through it. After the first failure nothing more is written, the file is
// closed and a new file removed, and every later call gives that failure
// again. A new file that never took the target's name is removed when the
// writer goes, so nothing half-written is left behind.
class FileWriter {
public:
    // Creates the new file beside `target` (Replace, its name begun with
    // `label` where that fits) or opens `target` (Direct). Nothing is thrown
    // but std::bad_alloc.
    FileWriter(FileSystem& files, FilePath target, WriteWay way, std::string_view label = "");
    FileWriter(FileWriter&& other) noexcept;
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;
    FileWriter& operator=(FileWriter&&) = delete;
    ~FileWriter() { Abandon(); }

    // Whether a file is held (created and not yet finished, abandoned or failed).
    bool IsOpen() const { return file_.has_value(); }
    // The first failure, if any: why no file is held after a failed creation.
    WriteResult Status() const
    {
        if (failure_) {
            return Failure(*failure_);
        }
        return {};
    }

    // Writes `bytes` whole; nothing is called when no file is held.
    WriteResult Write(std::string_view bytes);

    // Puts the bytes in their place: a new file is flushed, closed and given
    // the target's name, tried again while another program holds the target
    // open and it is a regular file that is not read-only, as long as
    // `retries` has time left, with pauses growing from 100 ms to
    // BusyTargetLongestPause; a file written into directly is closed.
    WriteResult Finish(BusyRetries& retries);

    // Closes the file and removes a new file; the target stays as it was.
    void Abandon();

private:
    WriteResult Fail(WriteStep step, std::optional<SystemCode> code, bool inUse = false);
    WriteResult PutInPlace(BusyRetries& retries);

    FileSystem* files_;
    FilePath target_;
    FilePath newName_; // the new file's, while there is one to remove
    std::optional<NativeFile> file_;
    std::optional<WriteError> failure_; // the first, given again
};

} // namespace Talvane::Nimlo
