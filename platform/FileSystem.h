#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Talvane::Nimlo {

// An open platform file, as the platform identifies it (a HANDLE on Windows).
enum class NativeFile : std::uintptr_t {};

// What creating a file of a new name gave: the file, or why not. `nameTaken`
// says that something of that name is already there (a file, a folder, a
// link), so another name may still succeed.
struct NewFile {
    std::optional<NativeFile> file;
    bool nameTaken = false;
};

// The file operations the report writer needs. Names are bare or relative:
// the platform resolves them against the current directory.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Creates `name` for reading and writing, sharing read access only; fails
    // when anything of that name exists already.
    virtual NewFile CreateNew(const std::u16string& name) = 0;

    // One platform write of all of `bytes`: the count of bytes the platform
    // reports written, or empty when it reports failure.
    virtual std::optional<std::uint32_t> Write(NativeFile file, std::string_view bytes) = 0;

    // Hands everything written to the storage; false when the platform
    // reports failure.
    virtual bool Flush(NativeFile file) = 0;

    virtual void Close(NativeFile file) = 0;

    // Gives the closed file `from` the name `to` in one step, replacing the
    // entry `to` itself, never what a link of that name points to.
    virtual bool Rename(const std::u16string& from, const std::u16string& to) = 0;

    virtual bool Remove(const std::u16string& name) = 0;

    // A number nobody can foresee, for names nobody can have prepared; empty
    // when the platform has none to give.
    virtual std::optional<std::uint64_t> UnforeseeableNumber() = 0;
};

} // namespace Talvane::Nimlo
