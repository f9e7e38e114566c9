#include "summary/Fleet.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "text/AsciiCase.h"
#include "text/ShownText.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

// Names are folded to upper case: the order of names that differ in a
// character between the cases ('[' to '`') depends on it.
char Folded(char c)
{
    return AsciiUpper(c);
}

// -1, 0 or 1, letters compared without case.
int CompareFolded(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(Folded(a[i]));
        const auto y = static_cast<unsigned char>(Folded(b[i]));
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// FNV-1a, 64 bits: the same name gives the same key on every platform.
std::uint64_t NameKey(std::string_view name)
{
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : name) {
        hash = (hash ^ static_cast<unsigned char>(Folded(c))) * 0x100000001b3ull;
    }
    return hash;
}

// At most ShownTextLimit bytes, cut before a UTF-8 sequence that would not fit.
std::string Shortened(std::string_view text)
{
    if (text.size() <= ShownTextLimit) {
        return std::string(text);
    }
    std::size_t end = ShownTextLimit - 3;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return std::string(text.substr(0, end)) + "...";
}

bool FoldedLess(const std::string& a, const std::string& b)
{
    return CompareFolded(a, b) < 0;
}

} // namespace

std::string_view ReportName(std::string_view reportFile)
{
    const std::size_t slash = reportFile.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? reportFile : reportFile.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
}

bool SameHostName(std::string_view a, std::string_view b)
{
    return CompareFolded(a, b) == 0;
}

std::string ShownName(std::string_view name)
{
    std::string shown;
    shown.reserve(name.size());
    for (const char c : name) {
        if (c == '\0') {
            AppendHexEscape(shown, 0);
        } else {
            shown += c;
        }
    }
    return shown;
}

TextHandle FleetTexts::Keep(std::string_view text)
{
    constexpr std::size_t BlockBytes = std::size_t{1} << OffsetBits;
    text = text.substr(0, MaxLength);
    // A text starts within a block's first 64 KiB, and a block never grows past what it reserved.
    if (blocks_.empty() || blocks_.back().size() >= BlockBytes ||
        blocks_.back().capacity() - blocks_.back().size() < text.size()) {
        blocks_.emplace_back();
        blocks_.back().reserve(std::max(BlockBytes, text.size()));
    }
    std::string& block = blocks_.back();
    const TextHandle at = (static_cast<TextHandle>(blocks_.size() - 1) << (OffsetBits + LengthBits)) |
                          (static_cast<TextHandle>(block.size()) << LengthBits) | text.size();
    block.append(text);
    return at;
}

std::pair<TextHandle, TextHandle> Fleet::KeepPath(std::string_view path)
{
    const std::size_t slash = path.find_last_of("/\\");
    const std::string_view folder = slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
    if (!lastFolder_ || parts_.texts.Text(*lastFolder_) != folder) {
        lastFolder_ = parts_.texts.Keep(folder);
    }
    return {*lastFolder_, parts_.texts.Keep(path.substr(folder.size()))};
}

void Fleet::Add(const ReportContent& content, std::string_view reportFile)
{
    ReportRecord report;
    report.computer = parts_.texts.Keep(Shortened(content.computerName));
    std::tie(report.folder, report.file) = KeepPath(reportFile);
    report.computerKey = NameKey(content.computerName);
    for (const Role role : AllRoles) {
        if (RoleIndex(role) >= content.roles.size()) {
            break;
        }
        const std::vector<ReportRow>& rows = content.roles[RoleIndex(role)].rows;
        for (std::size_t row = 0; row < rows.size() && row < RowLabels(role).size(); ++row) {
            if (!rows[row].passed) {
                report.failed.Add(role, row);
            }
        }
    }
    parts_.reports.push_back(report);
}

void Fleet::AddNote(const HostNote& note, std::string_view noteFile)
{
    NoteRecord record;
    std::tie(record.folder, record.file) = KeepPath(noteFile);
    record.detail = parts_.texts.Keep(Shortened(note.detail));
    record.kind = note.kind;
    parts_.notes.push_back(record);
}

void Fleet::Expect(std::vector<std::string> hosts)
{
    parts_.expecting = true;
    std::sort(hosts.begin(), hosts.end(), FoldedLess);
    hosts.erase(std::unique(hosts.begin(), hosts.end(),
                            [](const std::string& a, const std::string& b) { return SameHostName(a, b); }),
                hosts.end());
    parts_.expected.clear();
    parts_.expected.reserve(hosts.size());
    for (const std::string& host : hosts) {
        parts_.expected.push_back(parts_.texts.Keep(host));
    }
}

FinishedFleet Fleet::Finish() &&
{
    return FinishedFleet(std::move(parts_));
}

FinishedFleet::FinishedFleet(FleetParts parts) : parts_(std::move(parts))
{
    Order();
    MarkAndFindNotAssessed();
    Count();
}

std::string FinishedFleet::ReportFile(const ReportRecord& report) const
{
    return std::string(Text(report.folder)).append(Text(report.file));
}

std::string FinishedFleet::NoteFile(const NoteRecord& note) const
{
    return std::string(Text(note.folder)).append(Text(note.file));
}

// The reports by computer name, the duplicates marked; the notes by host, one a host.
void FinishedFleet::Order()
{
    std::deque<ReportRecord>& reports = parts_.reports;
    std::sort(reports.begin(), reports.end(), [this](const ReportRecord& a, const ReportRecord& b) {
        const int byName = CompareFolded(ComputerName(a), ComputerName(b));
        if (byName != 0) {
            return byName < 0;
        }
        if (a.computerKey != b.computerKey || ComputerName(a) != ComputerName(b)) {
            return std::tuple(a.computerKey, ComputerName(a)) < std::tuple(b.computerKey, ComputerName(b));
        }
        return a.folder == b.folder ? Text(a.file) < Text(b.file) : ReportFile(a) < ReportFile(b);
    });
    for (std::size_t i = 0; i < reports.size(); ++i) {
        const std::uint64_t key = reports[i].computerKey;
        const bool samePrevious = i > 0 && reports[i - 1].computerKey == key;
        const bool sameNext = i + 1 < reports.size() && reports[i + 1].computerKey == key;
        reports[i].duplicate = samePrevious || sameNext;
    }
    // One note a host, the first met: texts are kept in the order they come, so
    // the earlier note has the smaller handle of its name.
    std::deque<NoteRecord>& notes = parts_.notes;
    const auto noteHost = [this](const NoteRecord& note) { return NoteHost(Text(note.file)); };
    std::sort(notes.begin(), notes.end(), [&](const NoteRecord& a, const NoteRecord& b) {
        const int byHost = CompareFolded(noteHost(a), noteHost(b));
        return byHost != 0 ? byHost < 0 : a.file < b.file;
    });
    notes.erase(
        std::unique(notes.begin(), notes.end(),
                    [&](const NoteRecord& a, const NoteRecord& b) { return SameHostName(noteHost(a), noteHost(b)); }),
        notes.end());
}

// Marks the notes beside a report and the reports not expected; finds the
// hosts with only a note, and those expected with neither.
void FinishedFleet::MarkAndFindNotAssessed()
{
    std::deque<NoteRecord>& notes = parts_.notes;
    const std::vector<TextHandle>& expected = parts_.expected;
    const bool expecting = parts_.expecting;
    const auto noteHost = [this](const NoteRecord& note) { return NoteHost(Text(note.file)); };
    // Where a name is among names sorted without case, or nullptr.
    const auto find = [](auto& sorted, std::string_view name, auto nameOf) {
        auto found = std::lower_bound(sorted.begin(), sorted.end(), name, [&](const auto& item, std::string_view n) {
            return CompareFolded(nameOf(item), n) < 0;
        });
        return found != sorted.end() && SameHostName(nameOf(*found), name) ? &*found : nullptr;
    };
    const auto expectedHost = [this](TextHandle host) { return Text(host); };

    // Per host expected: 1 a report, 2 a note and no report.
    std::vector<std::uint8_t> accounted(expected.size(), 0);
    const auto expectedIndex = [&](const TextHandle* host) { return static_cast<std::size_t>(host - expected.data()); };
    for (ReportRecord& report : parts_.reports) {
        const std::string_view name = ReportNameOf(report);
        if (NoteRecord* note = find(notes, name, noteHost); note != nullptr) {
            note->besideReport = true;
        }
        if (expecting) {
            const TextHandle* host = find(expected, name, expectedHost);
            report.unexpected = host == nullptr;
            if (host != nullptr) {
                accounted[expectedIndex(host)] = 1;
            }
        }
    }
    // The hosts with only a note, each once, and those expected with neither: no two share a name.
    std::vector<const TextHandle*> noted(notes.size(), nullptr); // the host expected, where it is
    std::size_t count = 0;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        if (!notes[i].besideReport) {
            noted[i] = expecting ? find(expected, noteHost(notes[i]), expectedHost) : nullptr;
            if (noted[i] != nullptr) {
                accounted[expectedIndex(noted[i])] = 2;
            }
            ++count;
        }
    }
    notAssessed_.reserve(count + static_cast<std::size_t>(std::count(accounted.begin(), accounted.end(), 0)));
    for (std::size_t i = 0; i < notes.size(); ++i) {
        if (!notes[i].besideReport) {
            notAssessed_.push_back({noted[i] != nullptr ? Text(*noted[i]) : noteHost(notes[i]), notes[i].kind,
                                    Text(notes[i].detail), expecting && noted[i] == nullptr});
        }
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (accounted[i] == 0) {
            notAssessed_.push_back({Text(expected[i]), NoteKind::NoRecord, {}, false});
        }
    }
    std::sort(notAssessed_.begin(), notAssessed_.end(),
              [](const NotAssessedHost& a, const NotAssessedHost& b) { return CompareFolded(a.name, b.name) < 0; });
}

void FinishedFleet::Count()
{
    FleetCounts& counts = counts_;
    const std::deque<ReportRecord>& reports = parts_.reports;
    counts.reportsRead = reports.size();
    counts.reportsRejected = parts_.rejected;
    counts.expecting = parts_.expecting;
    counts.expected = parts_.expected.size();
    counts.notes = parts_.notes.size();
    counts.notAssessed = notAssessed_.size();
    for (const NoteRecord& note : parts_.notes) {
        counts.notesBesideReports += note.besideReport ? 1u : 0u;
    }
    for (const NotAssessedHost& host : notAssessed_) {
        ++counts.notAssessedBy[static_cast<std::size_t>(host.kind)];
        counts.notExpected += host.unexpected ? 1u : 0u;
    }
    counts.known = reports.size() + counts.notes - counts.notesBesideReports;
    std::set<std::uint64_t> names;
    for (const ReportRecord& report : reports) {
        names.insert(report.computerKey);
        for (const Role role : AllRoles) {
            counts.meeting[RoleIndex(role)] += report.failed.Meets(role) ? 1u : 0u;
        }
        for (std::size_t requirement = 0; requirement < RequirementCount; ++requirement) {
            counts.fallingShort[requirement] += report.failed.FallsShortOf(requirement) ? 1u : 0u;
        }
    }
    counts.machines = names.size();
}

std::string ClosingLine(const FleetCounts& counts)
{
    std::string line = std::to_string(counts.reportsRead) + " reports read, " + std::to_string(counts.reportsRejected) +
                       " rejected, " + std::to_string(counts.machines) + " machines";
    for (const Role role : AllRoles) {
        line += (role == Role::Client ? "; " : ", ") + ToUtf8(RoleTitle(role)) + ": " +
                std::to_string(counts.meeting[RoleIndex(role)]) + " of " + std::to_string(counts.reportsRead) +
                " meet it";
    }
    if (counts.notes == 0) {
        if (counts.expected > 0) {
            line += "; " + std::to_string(counts.notAssessed) + " of " + std::to_string(counts.expected) +
                    " hosts expected not assessed";
        }
        return line;
    }
    if (counts.expecting) {
        line += "; " + std::to_string(counts.notAssessed - counts.notExpected) + " of " +
                std::to_string(counts.expected) + " hosts expected not assessed";
        if (counts.notExpected > 0) {
            line += " and " + std::to_string(counts.notExpected) + " not expected";
        }
    } else {
        line += "; " + std::to_string(counts.notAssessed) + " of " + std::to_string(counts.known) +
                " hosts known not assessed";
    }
    std::string groups;
    for (std::size_t kind = 0; kind < NoteKindCount; ++kind) {
        if (counts.notAssessedBy[kind] > 0) {
            groups += (groups.empty() ? "" : ", ") + std::to_string(counts.notAssessedBy[kind]) + " " +
                      std::string(NoteKindNames[kind]);
        }
    }
    if (!groups.empty()) {
        line += " (" + groups + ")";
    }
    if (counts.notesBesideReports > 0) {
        line += "; " + std::to_string(counts.notesBesideReports) + " with both a report and a note";
    }
    return line;
}

} // namespace Talvane::Nimlo
