#include "summary/HostFiles.h"

#include <set>

#include <gtest/gtest.h>

#include "fakes/Outcomes.h"
#include "fakes/Utf16Bytes.h"

namespace Talvane::Nimlo {
namespace {

// Every note a collector writes (tests/data/outcomes.tsv) is read as its KIND
// and the DETAIL after "KIND: ", and every KIND the summary knows is one the
// collectors write.
TEST(HostFilesTest, EveryNoteOfTheTableOfOutcomes)
{
    std::set<std::string_view> kindsWritten;
    for (const Testing::Outcome& row : Testing::Outcomes()) {
        if (row.note.empty()) {
            continue;
        }
        const std::string prefix = std::string(row.kind) + ": ";
        ASSERT_TRUE(row.note.starts_with(prefix)) << "outcomes.tsv line " << row.line;
        const HostNote note = ParseNote(std::string(row.note) + "\n");
        EXPECT_EQ(NoteKindName(note.kind), row.kind) << "outcomes.tsv line " << row.line;
        EXPECT_EQ(note.detail, row.note.substr(prefix.size())) << "outcomes.tsv line " << row.line;
        kindsWritten.insert(row.kind);
    }
    for (std::size_t kind = 0; kind < static_cast<std::size_t>(NoteKind::Other); ++kind) {
        EXPECT_TRUE(kindsWritten.contains(NoteKindNames[kind])) << NoteKindNames[kind];
    }
}

// What the table cannot hold: encodings, line ends, white space, bytes that
// are no UTF-8, and lines that are no note of any collector's.
TEST(HostFilesTest, EncodingsLineEndsAndWhatIsNoNote)
{
    struct Case {
        std::string bytes;
        NoteKind kind;
        const char* detail;
    };
    const Case cases[] = {
        {"assessment failed: exit status 1: System Assessment: WMI failed\r\n", NoteKind::AssessmentFailed,
         "exit status 1: System Assessment: WMI failed"},
        {"failed: the fetch failed; cleanup: the folder stays\nsecond line\n", NoteKind::Failed,
         "the fetch failed; cleanup: the folder stays"},
        {"failed:", NoteKind::Failed, ""},
        {"  timed out:\tafter 5 s  \r\n", NoteKind::TimedOut, "after 5 s"},
        {"\xEF\xBB\xBFunreachable: no route", NoteKind::Unreachable, "no route"},
        {Testing::Utf16WithBom(u"assessment failed: exit status 1: \u00C5SA\r\n"), NoteKind::AssessmentFailed,
         "exit status 1: \xC3\x85SA"},
        // Anything else is "other", with the line as it is.
        {"Timed Out: after 300 s", NoteKind::Other, "Timed Out: after 300 s"},
        {"rebooted: by its owner", NoteKind::Other, "rebooted: by its owner"},
        {"unreachable", NoteKind::Other, "unreachable"},
        {"failedx: y", NoteKind::Other, "failedx: y"},
        {"", NoteKind::Other, ""},
        {"\r\nunreachable: the second line does not count", NoteKind::Other, ""},
        {std::string("failed: bad\xFF byte, a \x1B"
                     " escape and a NUL ") +
             '\0' + " too",
         NoteKind::Failed, "bad\xEF\xBF\xBD byte, a \xEF\xBF\xBD escape and a NUL \xEF\xBF\xBD too"},
    };
    for (const Case& c : cases) {
        const HostNote note = ParseNote(c.bytes);
        EXPECT_EQ(NoteKindName(note.kind), NoteKindName(c.kind)) << c.bytes;
        EXPECT_EQ(note.detail, c.detail) << c.bytes;
    }
    EXPECT_EQ(NoteReason(NoteKind::TimedOut, "after 300 s"), "timed out: after 300 s");
    EXPECT_EQ(NoteReason(NoteKind::NoRecord, ""), "no record");
}

// The name of a page and of a note, and the host each is for.
TEST(HostFilesTest, NamesOfPagesNotesAndTheirHosts)
{
    struct Case {
        const char* name;
        bool page;
        bool note;
    };
    const Case cases[] = {
        {"web-01.html", true, false},
        {"DB.HTM", true, false},
        {"a.b.Html", true, false},
        {"web-01.htmlx", false, false},
        {"html", false, false},
        {"web.html.txt", false, false},
        {"web-01.not-assessed.txt", false, true},
        {"WEB-01.Not-Assessed.TXT", false, true},
        {"a.b.not-assessed.txt", false, true},
        {".not-assessed.txt", false, false},
        {"not-assessed.txt", false, false},
        {"web-01.not-assessed.txt.html", true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsPageName(c.name), c.page) << c.name;
        EXPECT_EQ(IsNoteName(c.name), c.note) << c.name;
    }
    EXPECT_EQ(ReportName("reports/web-01.html"), "web-01");
    EXPECT_EQ(ReportName("C:\\reports\\db.01.htm"), "db.01");
    EXPECT_EQ(ReportName("plain"), "plain");
    EXPECT_EQ(ReportName("dir.d/.html"), ".html");
    EXPECT_EQ(NoteHost("reports/sub/web-01.not-assessed.txt"), "web-01");
    EXPECT_EQ(NoteHost("C:\\reports\\db.01.NOT-ASSESSED.txt"), "db.01");
}

// Host names as Windows compares them: letters without case, and the
// characters between the cases ('[' to '`') after the letters.
TEST(HostFilesTest, HostNamesAreComparedWithoutCase)
{
    EXPECT_TRUE(SameHostName("WEB-01", "web-01"));
    EXPECT_FALSE(SameHostName("web-01", "web-1"));
    EXPECT_EQ(CompareHostNames("z", "_"), -1) << "folded to upper case, '_' is after the letters";
    EXPECT_EQ(CompareHostNames("ab", "abc"), -1);
}

TEST(HostFilesTest, TheHostsExpectedInEveryEncodingAWindowsOrLinuxToolWrites)
{
    const std::vector<std::string> hosts{"web-01", "DB-02", "\xC3\x85SA"};
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"UTF-8", "web-01\nDB-02\n\xC3\x85SA\n"},
        {"UTF-8 with a byte order mark and CR LF", "\xEF\xBB\xBFweb-01\r\nDB-02\r\n\xC3\x85SA"},
        {"blank lines and white space", "\n  web-01 \t\r\n\r\n\tDB-02\n\xC3\x85SA   \n\n"},
        {"UTF-16 LE with a byte order mark (PowerShell 5.1)",
         Testing::Utf16WithBom(u"web-01\r\nDB-02\r\n\u00C5SA\r\n")},
        {"UTF-16 BE with a byte order mark", Testing::Utf16WithBom(u"web-01\nDB-02\n\u00C5SA", true)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseHostList(c.bytes), hosts) << c.name;
    }
    EXPECT_EQ(ParseHostList("bad\xFFname\n"), (std::vector<std::string>{"bad\xEF\xBF\xBDname"}));
    EXPECT_TRUE(ParseHostList("").empty());
}

} // namespace
} // namespace Talvane::Nimlo
