#include "summary/Search.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <iterator>
#include <set>
#include <string_view>
#include <utility>

#include "summary/HostFiles.h"
#include "summary/Paths.h"

namespace Talvane::Nimlo {
namespace {

namespace fs = std::filesystem;

constexpr const char* NotRegular = "not a regular file (a device, FIFO, socket or terminal)";

// The files met so far, a 64-bit key each: an open-addressing table that
// costs 8 to 16 bytes a file. The key is a bijection of the file index mixed
// with the volume, so two files of one volume never share a key.
class IdentitySet {
public:
    // True when the identity was not in the set.
    bool Insert(FileIdentity identity)
    {
        if (2 * (count_ + 1) > slots_.size()) {
            Grow();
        }
        const std::uint64_t key = Key(identity);
        for (std::size_t slot = Slot(key);; slot = (slot + 1) & (slots_.size() - 1)) {
            if (slots_[slot] == key) {
                return false;
            }
            if (slots_[slot] == 0) {
                slots_[slot] = key;
                ++count_;
                return true;
            }
        }
    }

private:
    static std::uint64_t Mix(std::uint64_t x)
    {
        x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
        x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
        return x ^ (x >> 31);
    }
    static std::uint64_t Key(FileIdentity identity)
    {
        const std::uint64_t key = Mix(identity.index) ^ Mix(identity.volume + 0x9e3779b97f4a7c15ull);
        return key == 0 ? 1 : key;
    }
    std::size_t Slot(std::uint64_t key) const { return static_cast<std::size_t>(key & (slots_.size() - 1)); }

    void Grow()
    {
        std::vector<std::uint64_t> old(std::max<std::size_t>(16, slots_.size() * 2), 0);
        old.swap(slots_);
        for (const std::uint64_t key : old) {
            if (key != 0) {
                std::size_t slot = Slot(key);
                while (slots_[slot] != 0) {
                    slot = (slot + 1) & (slots_.size() - 1);
                }
                slots_[slot] = key;
            }
        }
    }

    std::vector<std::uint64_t> slots_;
    std::size_t count_ = 0;
};

// The PATHs, or a folder's names that can be a page, a note or a folder in
// name order, in one buffer: a folder of 100,000 reports costs their names'
// bytes and 8 more each while it is searched, not a path and an allocation apiece.
class NameList {
public:
    explicit NameList(const std::vector<std::string>& paths)
    {
        for (const std::string& path : paths) {
            Append(PathFromUtf8(path).native());
        }
    }

    explicit NameList(const std::vector<ListedName>& listed)
    {
        for (const ListedName& entry : listed) {
            if (entry.mayLeadToFolder || IsPageName(entry.name) || IsNoteName(entry.name)) {
                Append(entry.name);
            }
        }
        std::sort(spans_.begin(), spans_.end(), [this](Span a, Span b) { return View(a) < View(b); });
    }

    std::size_t Size() const { return spans_.size(); }
    fs::path Name(std::size_t i) const { return fs::path(View(spans_[i])); }

private:
    struct Span {
        std::uint32_t offset;
        std::uint32_t size;
    };

    void Append(const fs::path::string_type& name)
    {
        spans_.push_back({static_cast<std::uint32_t>(text_.size()), static_cast<std::uint32_t>(name.size())});
        text_ += name;
    }
    std::basic_string_view<fs::path::value_type> View(Span span) const
    {
        return std::basic_string_view<fs::path::value_type>(text_).substr(span.offset, span.size);
    }

    fs::path::string_type text_;
    std::vector<Span> spans_;
};

struct Folder {
    fs::path path;
    FileIdentity identity;
};

// The PATHs, or the folder being searched: its names, how far they are met,
// the look-ups of the next ones as they come back, and its subfolders,
// searched once its own names are met.
struct Frame {
    fs::path folder; // empty for the PATHs
    NameList names;
    std::size_t next = 0;                               // the next name to meet
    std::deque<std::optional<FileResult<Entry>>> looks; // of `next` and those after it, as far as asked
    std::vector<Folder> subfolders;
};

NoteFile Note(const fs::path& path, const FileResult<Entry>& examined)
{
    if (!examined) {
        return {path, Failure(examined.error().what())};
    }
    switch (examined->type) {
    case EntryType::Regular:
        if (examined->size > MaxNoteBytes) {
            return {path, Failure(std::to_string(examined->size) + " bytes, larger than any note (" +
                                  std::to_string(MaxNoteBytes) + " bytes at most)")};
        }
        return {path, {}, examined->size};
    case EntryType::Other:
        return {path, Failure(NotRegular)};
    default:
        return {path, Failure("a link that leads nowhere")};
    }
}

bool IsNote(const fs::path& path, const FileResult<Entry>& examined)
{
    return (!examined || examined->type != EntryType::Folder) && IsNoteName(path);
}

} // namespace

// Which folders and files were already met (by identity, so links and loops
// lead nowhere twice), the folders still to search, the one being searched.
class Search::Walk {
public:
    Walk(FileSystem& files, PoolJobs& jobs, const std::vector<std::string>& paths, std::size_t lookAhead)
        : files_(files)
        , jobs_(jobs)
        , lookAhead_(std::max<std::size_t>(lookAhead, 1))
        , roots_{{}, NameList(paths), 0, {}, {}}
    {}

    std::optional<Found> Next()
    {
        for (;;) {
            if (folder_ && folder_->next < folder_->names.Size()) {
                const fs::path name = folder_->names.Name(folder_->next);
                if (std::optional<Found> found = InFolder(folder_->folder / name, name, Looked(*folder_))) {
                    return found;
                }
            } else if (folder_) {
                // Depth first: the first subfolder is searched next.
                pending_.insert(pending_.end(), std::make_move_iterator(folder_->subfolders.rbegin()),
                                std::make_move_iterator(folder_->subfolders.rend()));
                folder_.reset();
            } else if (!pending_.empty()) {
                Folder folder = std::move(pending_.back());
                pending_.pop_back();
                if (std::optional<Found> found = Open(std::move(folder))) {
                    return found;
                }
            } else if (roots_.next < roots_.names.Size()) {
                const fs::path path = roots_.names.Name(roots_.next);
                if (std::optional<Found> found = Path(path, Looked(roots_))) {
                    return found;
                }
            } else {
                return std::nullopt;
            }
        }
    }

private:
    // What the look-up of the frame's next name found, once it is back; the
    // frame then goes on to the name after it.
    FileResult<Entry> Looked(Frame& frame)
    {
        LookAhead(frame);
        while (!frame.looks.front()) {
            jobs_.FinishOne();
        }
        FileResult<Entry> examined = std::move(*frame.looks.front());
        frame.looks.pop_front();
        ++frame.next;
        LookAhead(frame);
        return examined;
    }

    // Starts the look-ups of the frame's next names, up to the look-ahead,
    // a few to a job.
    void LookAhead(Frame& frame)
    {
        for (;;) {
            const std::size_t first = frame.next + frame.looks.size();
            const std::size_t rest = frame.names.Size() - first;
            const std::size_t count = std::min(jobs_.Batch(Lane::Files, std::min(rest, lookAhead_)), rest);
            if (count == 0 || (!frame.looks.empty() && frame.looks.size() + count > lookAhead_)) {
                return;
            }
            std::vector<fs::path> paths(count);
            for (std::size_t i = 0; i < count; ++i) {
                paths[i] = frame.folder / frame.names.Name(first + i);
            }
            frame.looks.resize(frame.looks.size() + count);
            jobs_.Run(
                Lane::Files,
                [&files = files_, paths = std::move(paths)] {
                    std::vector<FileResult<Entry>> entries;
                    entries.reserve(paths.size());
                    for (const fs::path& path : paths) {
                        entries.push_back(files.Examine(path.native(), Links::Follow));
                    }
                    return entries;
                },
                [&frame, first](std::vector<FileResult<Entry>> entries) {
                    for (std::size_t i = 0; i < entries.size(); ++i) {
                        frame.looks[first + i - frame.next] = std::move(entries[i]);
                    }
                });
        }
    }

    // A PATH of the command line: whatever it is, it is named if it is no
    // page, note or folder.
    std::optional<Found> Path(const fs::path& path, const FileResult<Entry>& examined)
    {
        const bool nothing = examined && examined->type == EntryType::Missing && !examined->isLink;
        if (IsNote(path, examined) && !nothing) {
            return Note(path, examined);
        }
        if (!examined) {
            return PassedOver{path, examined.error().what()};
        }
        switch (examined->type) {
        case EntryType::Folder:
            pending_.push_back({path, examined->identity});
            return std::nullopt;
        case EntryType::Regular:
            return File(path, *examined);
        case EntryType::Other:
            return PassedOver{path, std::string(NotRegular) + "; not read"};
        case EntryType::Missing:
            break;
        }
        return PassedOver{path, examined->isLink ? "a link that leads nowhere" : "no such file or folder"};
    }

    // An entry of a folder: only a page, a note or a folder is its concern.
    std::optional<Found> InFolder(const fs::path& path, const fs::path& name, const FileResult<Entry>& examined)
    {
        if (IsNote(path, examined)) {
            return Note(path, examined);
        }
        if (!examined) {
            return PassedOver{path, examined.error().what()};
        }
        if (examined->type == EntryType::Folder) {
            folder_->subfolders.push_back({path, examined->identity});
            return std::nullopt;
        }
        if (!IsPageName(name)) {
            return std::nullopt;
        }
        switch (examined->type) {
        case EntryType::Regular:
            return File(path, *examined);
        case EntryType::Other:
            return PassedOver{path, std::string(NotRegular) + "; not read"};
        default:
            return PassedOver{path, "a link that leads nowhere"};
        }
    }

    std::optional<Found> File(const fs::path& path, const Entry& entry)
    {
        if (entry.size > MaxReportBytes) {
            return PassedOver{path, std::to_string(entry.size) + " bytes, larger than any report (" +
                                        std::to_string(MaxReportBytes) + " bytes at most); not read"};
        }
        if (!filesSeen_.Insert(entry.identity)) {
            return std::nullopt;
        }
        return PageFile{path, entry.identity, entry.size};
    }

    // Lists a folder not met before.
    std::optional<Found> Open(Folder folder)
    {
        if (!folders_.insert(folder.identity).second) {
            return std::nullopt; // met before, through a link
        }
        const FileResult<std::vector<ListedName>> names = files_.List(folder.path.native());
        if (!names) {
            return PassedOver{folder.path, std::string("cannot be searched (") + names.error().what() + ")"};
        }
        folder_ = std::make_unique<Frame>(Frame{std::move(folder.path), NameList(*names), 0, {}, {}});
        return std::nullopt;
    }

    FileSystem& files_;
    PoolJobs& jobs_;
    std::size_t lookAhead_;
    Frame roots_;
    std::unique_ptr<Frame> folder_; // the folder being searched; it stays put while its look-ups are out
    std::vector<Folder> pending_;   // the next last
    std::set<FileIdentity> folders_;
    IdentitySet filesSeen_;
};

Search::Search(FileSystem& files, PoolJobs& jobs, const std::vector<std::string>& paths, std::size_t lookAhead)
    : walk_(std::make_unique<Walk>(files, jobs, paths, lookAhead))
{}

Search::~Search() = default;

std::optional<Found> Search::Next()
{
    return walk_->Next();
}

} // namespace Talvane::Nimlo
