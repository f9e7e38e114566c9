#include "summary/Lists.h"

#include <algorithm>
#include <optional>
#include <set>

#include "requirements/RoleLabels.h"
#include "summary/Options.h"
#include "summary/Outputs.h"
#include "summary/Paths.h"
#include "text/AsciiCase.h"

namespace Talvane::Nimlo {
namespace {

namespace fs = std::filesystem;

// The words of a title or label, lower case, joined by "-".
std::string Words(std::u16string_view text)
{
    std::string words;
    bool gap = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
        if (letter || c == u'+') {
            if (gap && !words.empty()) {
                words += '-';
            }
            gap = false;
            if (c == u'+') {
                if (text.substr(i).starts_with(u"++")) {
                    words += "pp";
                    ++i;
                } else {
                    words += 'p';
                }
            } else {
                words += static_cast<char>(AsciiLower(c));
            }
        } else {
            gap = true;
        }
    }
    return words;
}

// The lists of one round, written one after another into their folder.
class ListsRound {
public:
    ListsRound(FileSystem& files, BusyRetries& retries, const fs::path& folder, const FinishedFleet& fleet,
               std::ostream& err)
        : files_(files)
        , retries_(retries)
        , folder_(folder)
        , fleet_(fleet)
        , err_(err)
    {}

    bool Write() &&
    {
        if (const FileResult<Entry> folder = files_.Examine(folder_.native(), Links::Follow);
            (!folder || folder->type != EntryType::Folder) && !files_.CreateFolder(folder_.native())) {
            return Fail(ShownPath(folder_) + ": the folder cannot be made");
        }
        const std::vector<const ReportRecord*> listed = ListedReports();
        const auto names = [&](auto fallsShort) {
            std::vector<std::string_view> lines;
            for (const ReportRecord* report : listed) {
                if (fallsShort(report->failed)) {
                    lines.push_back(fleet_.ReportNameOf(*report));
                }
            }
            return lines;
        };
        bool ok = true;
        for (const Role role : AllRoles) {
            ok = WriteList(RoleListName(role), names([&](FailedRequirements f) { return !f.Meets(role); })) && ok;
        }
        for (std::size_t requirement = 0; requirement < RequirementCount; ++requirement) {
            if (fleet_.Counts().fallingShort[requirement] > 0) {
                ok = WriteList(RequirementListName(requirement),
                               names([&](FailedRequirements f) { return f.FallsShortOf(requirement); })) &&
                     ok;
            }
        }
        if (fleet_.AccountsForHosts()) {
            std::vector<std::string_view> hosts;
            for (const NotAssessedHost& host : fleet_.NotAssessed()) {
                if (Listable(host.name)) {
                    hosts.push_back(host.name);
                }
            }
            ok = WriteList(std::string(NotAssessedListName), hosts) && ok;
        }
        return RemoveEarlierLists() && ok;
    }

private:
    // Names a failure on standard error; false.
    bool Fail(const std::string& message)
    {
        err_ << ProgramName << message << "\n";
        return false;
    }

    // Whether the name may stand in a list, a line of its own that every
    // reader takes for one host; a name Ansible would take for a pattern, or
    // one that holds a NUL (which ends it for many readers), is named instead.
    bool Listable(std::string_view name)
    {
        const char* why = IsAnsiblePattern(name)                      ? "a name Ansible reads as a pattern"
                          : name.find('\0') != std::string_view::npos ? "a name that holds a NUL"
                                                                      : nullptr;
        if (why != nullptr) {
            err_ << ShownPath(PathFromUtf8(std::string(name))) << ": " << why << "; left out of the lists\n";
        }
        return why == nullptr;
    }

    // The reports for the lists: in name order, without the names that may not stand in one.
    std::vector<const ReportRecord*> ListedReports()
    {
        std::vector<const ReportRecord*> listed;
        for (const ReportRecord& report : fleet_.Reports()) {
            if (Listable(fleet_.ReportNameOf(report))) {
                listed.push_back(&report);
            }
        }
        std::sort(listed.begin(), listed.end(), [this](const ReportRecord* a, const ReportRecord* b) {
            return fleet_.ReportNameOf(*a) < fleet_.ReportNameOf(*b);
        });
        return listed;
    }

    // Where the list `name` goes: a regular file replaced whole, or a name not
    // taken yet. The names are the program's, not the user's: what else has
    // one (a FIFO that would hold the run, a link that leads elsewhere) is
    // nothing the user asked to be written into.
    Result<OutputTarget> ListTarget(const std::string& name)
    {
        const fs::path path = folder_ / name;
        const FileResult<Entry> examined = files_.Examine(path.native(), Links::Follow);
        if (!examined) {
            return Failure(ShownPath(path) + ": cannot be written: " + examined.error().what());
        }
        const Entry& entry = *examined;
        if (entry.isLink || entry.type == EntryType::Folder || entry.type == EntryType::Other) {
            return Failure(ShownPath(path) +
                           ": not a regular file (a FIFO, a device, a folder or a link); the list is not written");
        }
        const std::optional<FileIdentity> identity =
            entry.type == EntryType::Regular ? std::optional(entry.identity) : std::nullopt;
        return OutputTarget{PathToUtf8(path), path, WriteWay::Replace, identity};
    }

    bool WriteList(const std::string& name, const std::vector<std::string_view>& lines)
    {
        written_.insert(name);
        const Result<OutputTarget> target = ListTarget(name);
        if (!target) {
            return Fail(target.error());
        }
        OutputFile list(files_, *target);
        for (const std::string_view line : lines) {
            list.Stream() << line << '\n';
        }
        const WriteResult finished = list.Finish(retries_);
        return finished || Fail(ShownPath(target->path) + ": " + OutputProblem(finished.error()));
    }

    // No list keeps an earlier round's hosts: the list files this run did not write go.
    bool RemoveEarlierLists()
    {
        bool ok = true;
        for (const std::string& name : AllListNames()) {
            const fs::path path = folder_ / name;
            const FileResult<Entry> entry = files_.Examine(path.native(), Links::Follow);
            if (!written_.contains(name) && entry && entry->type == EntryType::Regular &&
                !files_.Remove(path.native())) {
                ok = Fail(ShownPath(path) + ": an earlier list that could not be removed");
            }
        }
        return ok;
    }

    FileSystem& files_;
    BusyRetries& retries_;
    const fs::path& folder_;
    const FinishedFleet& fleet_;
    std::ostream& err_;
    std::set<std::string> written_; // the names of the lists of this round, written or not
};

} // namespace

std::string RoleListName(Role role)
{
    return Words(RoleTitle(role)) + ".txt";
}

std::string RequirementListName(std::size_t requirement)
{
    Role role = Role::Client;
    for (const Role next : AllRoles) {
        if (FirstRequirement(next) <= requirement) {
            role = next;
        }
    }
    return Words(RoleTitle(role)) + "--" + Words(RowLabels(role)[requirement - FirstRequirement(role)]) + ".txt";
}

std::vector<std::string> AllListNames()
{
    std::vector<std::string> names{std::string(NotAssessedListName)};
    for (const Role role : AllRoles) {
        names.push_back(RoleListName(role));
    }
    for (std::size_t requirement = 0; requirement < RequirementCount; ++requirement) {
        names.push_back(RequirementListName(requirement));
    }
    return names;
}

bool IsAnsiblePattern(std::string_view name)
{
    return name.find_first_of("*?[]:!&,") != std::string_view::npos || name.starts_with('~') || name.starts_with('@');
}

std::string ListHref(const fs::path& overviewFolder, const fs::path& listsFolder, std::string_view listName)
{
    return RelativeHref(overviewFolder, listsFolder / listName);
}

Result<void> CheckListsFolder(FileSystem& files, const fs::path& folder)
{
    const FileResult<Entry> entry = files.Examine(folder.native(), Links::Follow);
    if (!entry) {
        return Failure(entry.error().what());
    }
    if (entry->type == EntryType::Folder) {
        return {};
    }
    const FileResult<Entry> parent =
        files.Examine((folder.has_parent_path() ? folder.parent_path() : fs::path(".")).native(), Links::Follow);
    if (entry->type == EntryType::Missing && parent && parent->type == EntryType::Folder) {
        return {}; // made when the lists are written
    }
    return Failure("not a folder, nor one that can be made");
}

bool WriteLists(FileSystem& files, BusyRetries& retries, const fs::path& folder, const FinishedFleet& fleet,
                std::ostream& err)
{
    return ListsRound(files, retries, folder, fleet, err).Write();
}

} // namespace Talvane::Nimlo
