#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FilePath.h"
#include "platform/Result.h"
#include "platform/SystemError.h"

namespace Talvane::Nimlo {

// A value, or the system error why there is none.
template <class T> using FileResult = Result<T, SystemError>;
using FileStatus = FileResult<void>;

// An open platform file, as the platform identifies it (a HANDLE on Windows,
// a descriptor on POSIX).
enum class NativeFile : std::uintptr_t {};

// What a name leads to. `Other` is what holds no bytes of its own to read: a
// device, a FIFO, a socket, a terminal, a reserved device name on Windows,
// and a link that a look-up does not follow.
enum class EntryType { Missing, Regular, Folder, Other };

// Which file a name leads to, the same for every name of one file: device and
// inode, or on Windows the volume's serial number and the file index.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;

    auto operator<=>(const FileIdentity&) const = default;
};

// Whether a look-up goes through a symbolic link (or another name surrogate)
// to what it leads to, or tells of the name itself.
enum class Links : std::uint8_t { Follow, Keep };

// What a look-up found under a name.
struct Entry {
    EntryType type = EntryType::Missing;
    bool isLink = false;   // the name itself is a symbolic link (or another name surrogate)
    bool readOnly = false; // a file marked read-only (Windows' attribute; POSIX has none)
    // Of what a look-up that follows links found, where it found something;
    // one that keeps links tells neither.
    FileIdentity identity{};
    std::uint64_t size = 0; // of a regular file
};

// A folder's entry as its listing names it.
struct ListedName {
    FilePath name;
    bool mayLeadToFolder = true; // false where the listing tells it is neither a folder nor a link
};

// A file's bytes and the time they were last written, as the open file that
// was read tells it: whole seconds since 1970-01-01 UTC, earlier times
// negative, later ones as they are.
struct FileBytes {
    std::string bytes;
    std::int64_t lastWrite = 0;
};

// The file operations of the whole project: the program's report, the
// summary's outputs and the fleet's reads. Failures say why with the
// system's code; a read's in the words a user knows them by where there are
// some ("permission denied (errno 13)"), whatever the platform.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // What `path` leads to, or with Links::Keep what is under the name itself
    // (a link is `Other` then): Missing where nothing is, or why that cannot
    // be told ("a link that loops, or too many links in a row").
    virtual FileResult<Entry> Examine(const FilePath& path, Links links) = 0;

    // The folder's entries, in no order, or why it cannot be listed.
    virtual FileResult<std::vector<ListedName>> List(const FilePath& folder) = 0;

    // The bytes of a regular file of at most `limit` bytes and its last-write
    // time, or why not. Anything else is refused without a read that could
    // wait (a FIFO, a device), and a file that grows past `limit` while it is
    // read is refused too.
    virtual FileResult<FileBytes> Read(const FilePath& file, std::uint64_t limit) = 0;

    // Where the symbolic link `path` points, as it is written in the link;
    // none when `path` is no link, its target cannot be read, or the
    // platform does not follow links by name (Windows).
    virtual std::optional<FilePath> LinkTarget(const FilePath& path) = 0;

    // Creates `path` for reading and writing, sharing read access only; fails
    // (Condition::NameTaken) when anything of that name exists already, and
    // never follows a link.
    virtual FileResult<NativeFile> CreateNew(const FilePath& path) = 0;

    // Opens what is already at `path` (a device, a FIFO) for writing, as a
    // shell redirection would, but never creates or truncates anything.
    virtual FileResult<NativeFile> OpenExisting(const FilePath& path) = 0;

    // Writes `bytes` whole, in as few platform writes as the platform allows;
    // an interrupted write is made again and a short one carried on. A write
    // that the platform cuts short without a code fails without one.
    virtual FileStatus Write(NativeFile file, std::string_view bytes) = 0;

    // Hands everything written to the storage.
    virtual FileStatus Flush(NativeFile file) = 0;

    virtual FileStatus Close(NativeFile file) = 0;

    // Gives the closed file `from` the name `to` in one step, replacing the
    // entry `to` itself, never what a link of that name points to. Refused
    // with Condition::InUse while another program holds `to` open (a
    // scanner, an indexer, a viewer, a spreadsheet), which may pass in a
    // moment, unlike a refusal of permission.
    virtual FileStatus Rename(const FilePath& from, const FilePath& to) = 0;

    virtual FileStatus Remove(const FilePath& path) = 0;

    // Creates the folder `path` in a folder that exists.
    virtual FileStatus CreateFolder(const FilePath& path) = 0;

    // A number nobody can foresee, for names nobody can have prepared; empty
    // when the platform has none to give.
    virtual std::optional<std::uint64_t> UnforeseeableNumber() = 0;
};

} // namespace Talvane::Nimlo
