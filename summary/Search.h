#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Result.h"
#include "summary/PoolJobs.h"

namespace Talvane::Nimlo {

// A page to read: a regular file of a readable size with a page's name (or
// named as a PATH), met for the first time.
struct PageFile {
    std::filesystem::path path;
    FileIdentity identity;
    std::uint64_t size = 0; // as it was looked up
};

// A host's note (NAME.not-assessed.txt), met under each of its names: a note
// is its host's whatever it holds, so one that cannot be read is met too,
// with why.
struct NoteFile {
    std::filesystem::path path;
    Result<void> readable;  // why not: not a regular file, larger than a note can be, ...
    std::uint64_t size = 0; // as it was looked up
};

// A path passed over that might have held a report, and why: it could not be
// examined or searched, it is no regular file, it is too large.
struct PassedOver {
    std::filesystem::path path;
    std::string why;
};

// What a search meets.
using Found = std::variant<PageFile, NoteFile, PassedOver>;

// The search of the PATHs of a command line (UTF-8): a regular file named as
// it is, a folder searched with its subfolders (linked ones too, each real
// folder once, so links that loop end), depth first, each folder's entries in
// name order, for *.htm and *.html in any case and for notes. The same file
// met again (through a link, a second PATH) is passed over in silence; what
// is neither a page, a note nor a folder is no concern of the summary's, and
// only the names that can be one are looked up (a folder's listing tells
// which can lead to a folder). The look-ups run on the pool's files lane, up
// to `lookAhead` at once, and what they find is met in the search's order
// whichever comes back first. Nothing is kept of a file once it is handed
// out but a few bytes that tell whether it is met again.
class Search {
public:
    Search(FileSystem& files, PoolJobs& jobs, const std::vector<std::string>& paths, std::size_t lookAhead);
    Search(const Search&) = delete;
    Search& operator=(const Search&) = delete;
    ~Search();

    // The next page, note or path passed over, in the search's order; none
    // once everything is searched. Waits for the look-ups it needs, doing
    // what follows the pool's other jobs as they come back meanwhile.
    std::optional<Found> Next();

private:
    class Walk;
    std::unique_ptr<Walk> walk_;
};

} // namespace Talvane::Nimlo
