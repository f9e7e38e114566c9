#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Talvane::Nimlo {

// An open platform file, as the platform identifies it (a HANDLE on Windows).
enum class NativeFile : std::uintptr_t {};

// What a file operation gave: done, or the platform's error code for why not
// (a Win32 error code, never 0 for a failure). `inUse` says that the refusal
// is because another program holds the file open (a scanner, an indexer, a
// viewer), which may pass in a moment, unlike a refusal of permission.
struct FileStatus {
    std::uint32_t error = 0;
    bool inUse = false;

    bool Done() const noexcept { return error == 0; }
};

// What is under a name.
enum class EntryKind {
    Missing,      // nothing (or it cannot be told)
    File,         // a regular file that is not read-only
    ReadOnlyFile, // a regular file marked read-only
    Folder,
    Other // a link, a device or anything else
};

// What creating a file of a new name gave: the file, or why not. `nameTaken`
// says that something of that name is already there (a file, a folder, a
// link), so another name may still succeed; `error` is the platform's code.
struct NewFile {
    std::optional<NativeFile> file;
    bool nameTaken = false;
    std::uint32_t error = 0;
};

// What one write gave: the count of bytes the platform reports written, or
// (count 0) the platform's error code when it reports failure.
struct Written {
    std::uint32_t count = 0;
    std::uint32_t error = 0;
};

// The file operations the report writer needs. Names are bare or relative:
// the platform resolves them against the current directory.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Creates `name` for reading and writing, sharing read access only; fails
    // when anything of that name exists already.
    virtual NewFile CreateNew(const std::u16string& name) = 0;

    // One platform write of all of `bytes`.
    virtual Written Write(NativeFile file, std::string_view bytes) = 0;

    // Hands everything written to the storage.
    virtual FileStatus Flush(NativeFile file) = 0;

    virtual void Close(NativeFile file) = 0;

    // Gives the closed file `from` the name `to` in one step, replacing the
    // entry `to` itself, never what a link of that name points to.
    virtual FileStatus Rename(const std::u16string& from, const std::u16string& to) = 0;

    virtual FileStatus Remove(const std::u16string& name) = 0;

    // What is under `name`, without following a link.
    virtual EntryKind Kind(const std::u16string& name) = 0;

    // A number nobody can foresee, for names nobody can have prepared; empty
    // when the platform has none to give.
    virtual std::optional<std::uint64_t> UnforeseeableNumber() = 0;
};

} // namespace Talvane::Nimlo
