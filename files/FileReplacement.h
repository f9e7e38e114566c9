#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Deadline.h"
#include "platform/FileSystem.h"

namespace Talvane::Nimlo {

// How many fresh names are tried before the new file is given up.
inline constexpr int ReplacementNameTries = 16;

// The longest pause between two tries of a target held open elsewhere.
inline constexpr std::uint32_t BusyTargetLongestPause = 500;

// The time one run may spend trying again targets that another program holds
// open, shared by all of them: however many are busy, the run waits at most
// `budget` milliseconds in all.
class BusyRetries {
public:
    BusyRetries(Clock& clock, std::uint32_t budget) : clock_(&clock), left_(budget) {}

    Clock& Time() const { return *clock_; }
    std::uint32_t Left() const { return left_; }
    void Spend(std::uint32_t milliseconds) { left_ -= milliseconds < left_ ? milliseconds : left_; }

private:
    Clock* clock_;
    std::uint32_t left_;
};

// The name of a new file beside `target` (in its folder, the part up to the
// last '/', '\\' or ':'): "~", as much of `label` as fits, 16 hex digits of
// `number`, ".tmp". It never ends like a page (.htm, .html), so nothing that
// collects pages takes a half-written one for a finished one, and it is no
// longer than the target's own name where that is at least 21 units, else at
// most 21, so a folder that has room for the target has room for it.
std::u16string ReplacementName(std::u16string_view target, std::u16string_view label, std::uint64_t number);

// A file replaced whole or not at all. The bytes go into a new file beside
// the target, created only where nothing of its name exists, under a name
// nobody can have prepared; only once the owner has written, flushed and
// closed it does it take the target's name, in one step that replaces the
// name itself and never writes through a link planted there. Until then the
// target stays as it was, and a new file that never took the name is removed
// when the replacement goes.
//
// The open file belongs to the caller from TakeFile on; it must be closed
// before PutInPlace and before the replacement goes.
class FileReplacement {
public:
    // Creates the new file. Nothing is thrown but std::bad_alloc.
    FileReplacement(FileSystem& files, std::u16string target, std::u16string_view label);
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;
    ~FileReplacement();

    // The new file, once; empty when none could be created.
    std::optional<NativeFile> TakeFile();
    // The platform's code for the last refusal when no new file could be had.
    std::uint32_t CreationError() const { return creationError_; }

    // Gives the new file the target's name. While another program holds the
    // target open and it is a regular file that is not read-only, this is
    // tried again as long as `retries` has time left, with pauses growing
    // from 100 ms to BusyTargetLongestPause. On failure the new file is
    // removed and the last refusal returned.
    FileStatus PutInPlace(BusyRetries& retries);

    // Removes the new file now (its owner has closed it).
    void Abandon();

private:
    FileSystem* files_;
    std::u16string target_;
    std::u16string name_; // the new file's; empty once nothing is left to remove
    std::optional<NativeFile> file_;
    std::uint32_t creationError_ = 0;
};

} // namespace Talvane::Nimlo
