#include "summary/ReportFiles.h"

#include <algorithm>
#include <set>
#include <utility>

#include "summary/HostNote.h"
#include "text/AsciiCase.h"
#include "text/NumberFormat.h"
#include "text/ShownText.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

namespace fs = std::filesystem;

fs::path Absolute(const fs::path& path)
{
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    return (error ? path : absolute).lexically_normal();
}

std::string PercentEncoded(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || std::string_view("-._~/").find(c) != std::string_view::npos;
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += HexDigit(byte >> 4);
            out += HexDigit(byte);
        }
    }
    return out;
}

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

// A folder's entries' names, in name order, in one buffer: a folder of 100,000
// reports costs their names' bytes and 8 more each while it is searched, not
// a path and an allocation apiece.
class SortedNames {
public:
    explicit SortedNames(const std::vector<fs::path>& names)
    {
        std::size_t bytes = 0;
        for (const fs::path& name : names) {
            bytes += name.native().size();
        }
        text_.reserve(bytes);
        spans_.reserve(names.size());
        for (const fs::path& name : names) {
            spans_.push_back(
                {static_cast<std::uint32_t>(text_.size()), static_cast<std::uint32_t>(name.native().size())});
            text_ += name.native();
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
    std::basic_string_view<fs::path::value_type> View(Span span) const
    {
        return std::basic_string_view<fs::path::value_type>(text_).substr(span.offset, span.size);
    }

    fs::path::string_type text_;
    std::vector<Span> spans_;
};

// The search of every PATH: which folders and files were already met (by
// identity, so links and loops lead nowhere twice).
class Search {
public:
    Search(FleetFiles& files, const ReportSearch& search) : files_(files), search_(search) {}

    // False once the search is to end.
    bool Path(const std::string& text)
    {
        const fs::path path = PathFromUtf8(text);
        const Result<Entry> examined = files_.Examine(path);
        const bool nothing = examined && examined->type == EntryType::Missing && !examined->isLink;
        if (IsNote(path, examined) && !nothing) {
            Note(path, examined);
            return true;
        }
        if (!examined) {
            Problem(path, examined.error());
            return true;
        }
        const Entry& entry = *examined;
        if (entry.type == EntryType::Folder) {
            return Folder(path, entry.identity);
        }
        if (entry.type == EntryType::Regular) {
            return File(path, entry);
        }
        if (entry.type == EntryType::Other) {
            Problem(path, "not a regular file (a device, FIFO, socket or terminal); not read");
        } else {
            Problem(path, entry.isLink ? "a link that leads nowhere" : "no such file or folder");
        }
        return true;
    }

private:
    // Depth first, each folder's entries in name order.
    bool Folder(const fs::path& root, FileIdentity identity)
    {
        std::vector<std::pair<fs::path, FileIdentity>> pending{{root, identity}};
        while (!pending.empty()) {
            const auto [folder, id] = std::move(pending.back());
            pending.pop_back();
            if (!folders_.insert(id).second) {
                continue; // met before, through a link
            }
            Result<std::vector<fs::path>> listing = files_.List(folder);
            if (!listing) {
                Problem(folder, "cannot be searched (" + listing.error() + ")");
                continue;
            }
            const SortedNames names(*listing);
            listing = std::vector<fs::path>(); // its paths are in `names` now
            std::vector<std::pair<fs::path, FileIdentity>> subfolders;
            for (std::size_t i = 0; i < names.Size(); ++i) {
                const fs::path name = names.Name(i);
                const fs::path path = folder / name;
                const Result<Entry> examined = files_.Examine(path);
                if (IsNote(path, examined)) {
                    Note(path, examined);
                    continue;
                }
                if (!examined) {
                    Problem(path, examined.error());
                    continue;
                }
                const Entry& entry = *examined;
                if (entry.type == EntryType::Folder) {
                    subfolders.emplace_back(path, entry.identity);
                } else if (!IsPageName(name)) {
                    continue; // not a page: not ours to read
                } else if (entry.type == EntryType::Regular) {
                    if (!File(path, entry)) {
                        return false;
                    }
                } else if (entry.type == EntryType::Other) {
                    Problem(path, "not a regular file (a device, FIFO, socket or terminal); not read");
                } else {
                    Problem(path, "a link that leads nowhere");
                }
            }
            pending.insert(pending.end(), std::make_move_iterator(subfolders.rbegin()),
                           std::make_move_iterator(subfolders.rend()));
        }
        return true;
    }

    bool File(const fs::path& path, const Entry& entry)
    {
        if (entry.size > MaxReportBytes) {
            Problem(path, std::to_string(entry.size) + " bytes, larger than any report (" +
                              std::to_string(MaxReportBytes) + " bytes at most); not read");
            return true;
        }
        return !filesSeen_.Insert(entry.identity) || search_.found(path, entry.identity);
    }

    bool IsNote(const fs::path& path, const Result<Entry>& examined) const
    {
        return search_.note && (!examined || examined->type != EntryType::Folder) && IsNoteName(path);
    }

    // A note is its host's whatever it holds, so one that cannot be read is
    // still met, with why; and unlike a page it is met under each of its names.
    void Note(const fs::path& path, const Result<Entry>& examined)
    {
        if (!examined) {
            search_.note(path, examined.error());
            return;
        }
        const Entry& entry = *examined;
        if (entry.type == EntryType::Other) {
            search_.note(path, "not a regular file (a device, FIFO, socket or terminal)");
        } else if (entry.type != EntryType::Regular) {
            search_.note(path, "a link that leads nowhere");
        } else if (entry.size > MaxNoteBytes) {
            search_.note(path, std::to_string(entry.size) + " bytes, larger than any note (" +
                                   std::to_string(MaxNoteBytes) + " bytes at most)");
        } else {
            search_.note(path, {});
        }
    }

    void Problem(const fs::path& path, const std::string& why) { search_.passedOver(ShownPath(path) + ": " + why); }

    FleetFiles& files_;
    const ReportSearch& search_;
    std::set<FileIdentity> folders_;
    IdentitySet filesSeen_;
};

} // namespace

bool IsPageName(const fs::path& name)
{
    const std::string extension = PathToUtf8(name.extension());
    return EqualsIgnoringAsciiCase(extension, ".html") || EqualsIgnoringAsciiCase(extension, ".htm");
}

fs::path PathFromUtf8(const std::string& text)
{
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string PathToUtf8(const fs::path& path)
{
#ifdef _WIN32
    // Names on Windows are UTF-16 that need not be valid; ToUtf8 never fails on them.
    const std::wstring& wide = path.native();
    return ToUtf8(std::u16string(wide.begin(), wide.end()));
#else
    return ValidUtf8(path.native());
#endif
}

std::string ShownPath(const fs::path& path)
{
    return ShownText(PathToUtf8(path));
}

void FindReports(FleetFiles& files, const std::vector<std::string>& paths, const ReportSearch& search)
{
    Search walk(files, search);
    for (const std::string& path : paths) {
        if (!walk.Path(path)) {
            return;
        }
    }
}

std::string RelativeHref(const fs::path& folder, const fs::path& file)
{
    const fs::path target = Absolute(file);
    const fs::path relative = target.lexically_relative(Absolute(folder));
    if (relative.empty()) {
        std::string absolute = PathToUtf8(target.generic_u8string());
        return "file://" + std::string(absolute.starts_with('/') ? "" : "/") + PercentEncoded(absolute);
    }
    return PercentEncoded(PathToUtf8(relative.generic_u8string()));
}

} // namespace Talvane::Nimlo
