#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Result.h"
#include "platform/SystemError.h"

namespace Talvane::Nimlo {

// An open platform file, as the platform identifies it (a HANDLE on Windows,
// a descriptor on POSIX).
enum class NativeFile : std::uintptr_t {};

// Why a file operation failed: the platform's code (a Win32 code on
// Windows, an errno value on POSIX). `inUse` says that the refusal is because
// another program holds the file open (a scanner, an indexer, a viewer, a
// spreadsheet), which may pass in a moment, unlike a refusal of permission;
// `nameTaken` that something of that name is already there (a file, a
// folder, a link), so another name may still succeed.
struct FileFailure {
    SystemCode code;
    bool inUse = false;
    bool nameTaken = false;
};

// Done, or why not.
using FileStatus = Result<void, FileFailure>;

// What is under a name.
enum class EntryKind {
    Missing,      // nothing (or it cannot be told)
    File,         // a regular file that is not read-only
    ReadOnlyFile, // a regular file marked read-only
    Folder,
    Other // a link, a device, a FIFO or anything else
};

// The file opened or created, or why not.
using NewFile = Result<NativeFile, FileFailure>;

// What a write gave: the count of bytes the platform took, and when that is
// fewer than were given, the platform's code (none when it gave none).
struct Written {
    std::uint32_t count = 0;
    std::optional<SystemCode> error = std::nullopt;
};

// The file operations of everything the project writes. Names are the
// platform's own: UTF-16 on Windows; on POSIX a name's bytes, one to each
// 16-bit unit (FileNameFromBytes), so that any name a POSIX system can hold
// comes through unchanged. Bare or relative names are resolved against the
// current directory.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Creates `name` for reading and writing, sharing read access only; fails
    // when anything of that name exists already, and never follows a link.
    virtual NewFile CreateNew(const std::u16string& name) = 0;

    // Opens what is already at `name` (a device, a FIFO) for writing, as a
    // shell redirection would, but never creates or truncates anything.
    virtual NewFile OpenExisting(const std::u16string& name) = 0;

    // Writes `bytes` whole, in as few platform writes as the platform allows;
    // an interrupted write is made again and a short one carried on, and on
    // Windows a write that comes up short ends it.
    virtual Written Write(NativeFile file, std::string_view bytes) = 0;

    // Hands everything written to the storage.
    virtual FileStatus Flush(NativeFile file) = 0;

    virtual FileStatus Close(NativeFile file) = 0;

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

// A POSIX name's bytes as the seam carries them, and back.
inline std::u16string FileNameFromBytes(std::string_view bytes)
{
    std::u16string name;
    name.reserve(bytes.size());
    for (const char c : bytes) {
        name += static_cast<char16_t>(static_cast<unsigned char>(c));
    }
    return name;
}

// Empty when a unit does not fit a byte: no POSIX name gives one.
inline std::optional<std::string> FileNameToBytes(std::u16string_view name)
{
    std::string bytes;
    bytes.reserve(name.size());
    for (const char16_t unit : name) {
        if (unit > 0xFF) {
            return std::nullopt;
        }
        bytes += static_cast<char>(unit);
    }
    return bytes;
}

} // namespace Talvane::Nimlo
