#include "summary/Fleet.h"

#include <algorithm>
#include <tuple>

#include "text/AsciiCase.h"

namespace Talvane::Nimlo {
namespace {

// FNV-1a, 64 bits, of the name folded to upper case: the same name gives the
// same key on every platform, whatever the case of its letters.
std::uint64_t NameKey(std::string_view name)
{
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : name) {
        hash = (hash ^ static_cast<unsigned char>(AsciiUpper(c))) * 0x100000001b3ull;
    }
    return hash;
}

bool HostNameLess(const std::string& a, const std::string& b)
{
    return CompareHostNames(a, b) < 0;
}

} // namespace

std::pair<TextHandle, TextHandle> Fleet::KeepPath(std::string_view path)
{
    const std::size_t slash = path.find_last_of("/\\");
    const std::string_view folder = slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
    if (!lastFolder_ || parts_.texts.Text(*lastFolder_) != folder) {
        lastFolder_ = parts_.texts.Keep(folder);
    }
    return {*lastFolder_, parts_.texts.Keep(path.substr(folder.size()))};
}

ReportDigest DigestReport(const ReportContent& content)
{
    ReportDigest digest{CutToLimit(content.computerName), NameKey(content.computerName), {}};
    for (const Role role : AllRoles) {
        if (RoleIndex(role) >= content.roles.size()) {
            break;
        }
        const std::vector<ReportRow>& rows = content.roles[RoleIndex(role)].rows;
        for (std::size_t row = 0; row < rows.size() && row < RowLabels(role).size(); ++row) {
            if (!rows[row].passed) {
                digest.failed.Add(role, row);
            }
        }
    }
    return digest;
}

void Fleet::Add(const ReportDigest& digest, std::string_view reportFile)
{
    ReportRecord report;
    report.computer = parts_.texts.Keep(digest.computer);
    std::tie(report.folder, report.file) = KeepPath(reportFile);
    report.computerKey = digest.computerKey;
    report.failed = digest.failed;
    parts_.reports.push_back(report);
}

void Fleet::AddNote(const HostNote& note, std::string_view noteFile)
{
    NoteRecord record;
    std::tie(record.folder, record.file) = KeepPath(noteFile);
    record.detail = parts_.texts.Keep(CutToLimit(note.detail));
    record.kind = note.kind;
    parts_.notes.push_back(record);
}

void Fleet::Expect(std::vector<std::string> hosts)
{
    parts_.expecting = true;
    std::sort(hosts.begin(), hosts.end(), HostNameLess);
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
    counts_ = CountFleet(*this);
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
        const int byName = CompareHostNames(ComputerName(a), ComputerName(b));
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
        const int byHost = CompareHostNames(noteHost(a), noteHost(b));
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
            return CompareHostNames(nameOf(item), n) < 0;
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
              [](const NotAssessedHost& a, const NotAssessedHost& b) { return CompareHostNames(a.name, b.name) < 0; });
}

} // namespace Talvane::Nimlo
