#include "summary/ListFiles.h"

#include <set>

#include <gtest/gtest.h>

#include "requirements/RoleLabels.h"
#include "summary/HostList.h"
#include "summary/HostNote.h"

namespace Talvane::Nimlo {
namespace {

TEST(ListFilesTest, EveryRoleAndRequirementHasAFixedSafeName)
{
    const std::vector<std::string> expected{
        "not-assessed.txt",
        "client.txt",
        "web-server-or-32-bit-application-server.txt",
        "64-bit-application-server.txt",
        "client--operating-system.txt",
        "client--cpu.txt",
        "client--memory.txt",
        "client--free-hard-disk-space.txt",
        "client--video-memory.txt",
        "client--net-runtime.txt",
        "client--browser.txt",
        "client--required-cpp-runtimes.txt",
        "web-server-or-32-bit-application-server--server-operating-system.txt",
        "web-server-or-32-bit-application-server--cpu.txt",
        "web-server-or-32-bit-application-server--memory.txt",
        "web-server-or-32-bit-application-server--free-hard-disk-space.txt",
        "web-server-or-32-bit-application-server--net-runtime.txt",
        "web-server-or-32-bit-application-server--browser.txt",
        "web-server-or-32-bit-application-server--required-cpp-runtimes.txt",
        "64-bit-application-server--server-operating-system.txt",
        "64-bit-application-server--cpu.txt",
        "64-bit-application-server--memory.txt",
        "64-bit-application-server--free-hard-disk-space.txt",
        "64-bit-application-server--net-runtime.txt",
        "64-bit-application-server--browser.txt",
        "64-bit-application-server--required-cpp-runtimes.txt",
    };
    EXPECT_EQ(AllListNames(), expected);
    EXPECT_EQ(std::set<std::string>(expected.begin(), expected.end()).size(), 4 + RequirementCount);
    for (const std::string& name : expected) {
        EXPECT_EQ(name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-."), std::string::npos) << name;
    }
}

TEST(ListFilesTest, NamesAnsibleWouldReadAsPatterns)
{
    for (const char* name : {"web*", "db?", "a[1]", "host:22", "!web", "web&db", "a,b", "~web", "@hosts"}) {
        EXPECT_TRUE(IsAnsiblePattern(name)) << name;
    }
    for (const char* name : {"web-01", "DB_02.example.com", "host~1", "a@b", "\xC3\x85SA"}) {
        EXPECT_FALSE(IsAnsiblePattern(name)) << name;
    }
}

// The text as UTF-16 with its byte order mark.
std::string Utf16(std::u16string_view text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

TEST(HostListTest, EveryEncodingAWindowsOrLinuxToolWrites)
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
        {"UTF-16 LE with a byte order mark (PowerShell 5.1)", Utf16(u"web-01\r\nDB-02\r\n\u00C5SA\r\n", false)},
        {"UTF-16 BE with a byte order mark", Utf16(u"web-01\nDB-02\n\u00C5SA", true)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseHostList(c.bytes), hosts) << c.name;
    }
    EXPECT_EQ(ParseHostList("bad\xFFname\n"), (std::vector<std::string>{"bad\xEF\xBF\xBDname"}));
    EXPECT_TRUE(ParseHostList("").empty());
}

TEST(HostNoteTest, EveryKindAndWhatIsNone)
{
    struct Case {
        std::string bytes;
        NoteKind kind;
        const char* detail;
    };
    const Case cases[] = {
        {"unreachable: ssh: connect to host web-01 port 22: Connection refused\n", NoteKind::Unreachable,
         "ssh: connect to host web-01 port 22: Connection refused"},
        {"timed out: after 300 s", NoteKind::TimedOut, "after 300 s"},
        {"assessment failed: exit status 1: System Assessment: WMI failed\r\n", NoteKind::AssessmentFailed,
         "exit status 1: System Assessment: WMI failed"},
        {"report not written: exit status 4294967295", NoteKind::ReportNotWritten, "exit status 4294967295"},
        {"failed: the fetch failed; cleanup: the folder stays\nsecond line\n", NoteKind::Failed,
         "the fetch failed; cleanup: the folder stays"},
        {"failed:", NoteKind::Failed, ""},
        {"  timed out:\tafter 5 s  \r\n", NoteKind::TimedOut, "after 5 s"},
        {"\xEF\xBB\xBFunreachable: no route", NoteKind::Unreachable, "no route"},
        {Utf16(u"assessment failed: exit status 1: \u00C5SA\r\n", false), NoteKind::AssessmentFailed,
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
