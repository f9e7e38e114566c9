#pragma once

#include <compare>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Deadline.h"
#include "platform/FileSystem.h"
#include "platform/JobPool.h"
#include "platform/Result.h"

namespace Talvane::Nimlo {

// What a name leads to. `Other` is what holds no bytes of its own to read: a
// device, a FIFO, a socket, a terminal, a reserved device name on Windows.
enum class EntryType { Missing, Regular, Folder, Other };

// Which file a name leads to, the same for every name of one file: device and
// inode, or on Windows the volume's serial number and the file index.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;

    auto operator<=>(const FileIdentity&) const = default;
};

struct Entry {
    EntryType type = EntryType::Missing;
    bool isLink = false;    // the name itself is a symbolic link (or another name surrogate)
    FileIdentity identity;  // of what it leads to, where it leads to something
    std::uint64_t size = 0; // of a regular file
};

// A folder's entry as its listing names it.
struct ListedName {
    std::filesystem::path name;
    bool mayLeadToFolder = true; // false where the listing tells it is neither a folder nor a link
};

// The file operations the fleet summary needs: reading a tree of reports it
// cannot trust, and the seam its outputs are written through.
class FleetFiles {
public:
    virtual ~FleetFiles() = default;

    // What `path` leads to, links followed (Missing where nothing is), or
    // why that cannot be told ("a link that loops", "permission denied").
    virtual Result<Entry> Examine(const std::filesystem::path& path) = 0;

    // The folder's entries, in no order, or why it cannot be listed.
    virtual Result<std::vector<ListedName>> List(const std::filesystem::path& folder) = 0;

    // The bytes of a regular file of at most `limit` bytes, or why not.
    // Anything else is refused without a read that could wait (a FIFO, a
    // device), and a file that grows past `limit` while it is read is
    // refused too.
    virtual Result<std::string> Read(const std::filesystem::path& file, std::uint64_t limit) = 0;

    // Where the symbolic link `path` points, as it is written in the link;
    // empty when `path` is no link or its target cannot be read.
    virtual std::optional<std::filesystem::path> LinkTarget(const std::filesystem::path& path) = 0;

    // Where the outputs are written (created, replaced, removed), and the
    // clock the retries of a busy output wait on.
    virtual FileSystem& Writing() = 0;
    virtual Clock& TickClock() = 0;

    // Creates the folder `path` in a folder that exists; false when it cannot.
    virtual bool CreateFolder(const std::filesystem::path& path) = 0;

    // Whether standard error goes to a terminal that a person watches, where
    // a line can be updated in place.
    virtual bool StandardErrorIsTerminal() = 0;

    // Threads for the look-ups, reads and parsing of a run (JobPool.h): lane
    // i with up to `threads[i]`. Examine and Read may be called on them, at
    // once. The platform's threads, unless a test hands out its own.
    virtual std::unique_ptr<JobPool> Pool(const std::vector<std::size_t>& threads)
    {
        return MakePlatformJobPool(threads);
    }
};

// A path as the file seam names it.
inline std::u16string FileNameOf(const std::filesystem::path& path)
{
#ifdef _WIN32
    const std::wstring& name = path.native();
    return std::u16string(name.begin(), name.end());
#else
    return FileNameFromBytes(path.native());
#endif
}

// The file operations of the platform the program runs on.
std::unique_ptr<FleetFiles> MakePlatformFleetFiles();

} // namespace Talvane::Nimlo
