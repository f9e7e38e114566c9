#include "summary/HostNote.h"

#include <set>

#include <gtest/gtest.h>

#include "fakes/Outcomes.h"
#include "fakes/Utf16Bytes.h"

namespace Talvane::Nimlo {
namespace {

// Every note a collector writes (tests/data/outcomes.tsv) is read as its KIND
// and the DETAIL after "KIND: ", and every KIND the summary knows is one the
// collectors write.
TEST(HostNoteTest, EveryNoteOfTheTableOfOutcomes)
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
TEST(HostNoteTest, EncodingsLineEndsAndWhatIsNoNote)
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

TEST(HostNoteTest, NamesOfNotesAndTheirHosts)
{
    for (const char* name : {"web-01.not-assessed.txt", "WEB-01.Not-Assessed.TXT", "a.b.not-assessed.txt"}) {
        EXPECT_TRUE(IsNoteName(name)) << name;
    }
    for (const char* name : {".not-assessed.txt", "not-assessed.txt", "web-01.txt", "web-01.not-assessed.txt.html"}) {
        EXPECT_FALSE(IsNoteName(name)) << name;
    }
    EXPECT_EQ(NoteHost("reports/sub/web-01.not-assessed.txt"), "web-01");
    EXPECT_EQ(NoteHost("C:\\reports\\db.01.NOT-ASSESSED.txt"), "db.01");
}

} // namespace
} // namespace Talvane::Nimlo
