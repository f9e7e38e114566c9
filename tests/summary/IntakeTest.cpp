#include "summary/Intake.h"

#include <gtest/gtest.h>

#include "fakes/SummaryFolder.h"

namespace Talvane::Nimlo {
namespace {

constexpr const char* Denied = Testing::FailingFileSystem::PermissionDenied;

namespace fs = std::filesystem;

class IntakeTest : public Testing::SummaryFolderTest {
protected:
    Taken TakeIn(const Found& found) { return Take(reader_, found, ReadFound(files_, found), false); }
    // As the search names it: with the platform's separators.
    fs::path At(const fs::path& relative) const { return (root_ / relative).make_preferred(); }

    const ReportReader reader_ = *ReportReader::ForTemplate(EmbeddedReportTemplate);
};

TEST_F(IntakeTest, APageIsItsReportOrARejectionThatSaysWhy)
{
    Write("reports/a.html", EmbeddedGoldenAllPass);
    Write("reports/other.html", "<html><body>Hello</body></html>");
    Write("reports/locked.html", EmbeddedGoldenAllPass);
    files_.unreadable.insert(At("reports/locked.html").lexically_normal());

    const Taken report = TakeIn(PageFile{At("reports/a.html"), {}});
    ASSERT_TRUE(std::holds_alternative<TakenReport>(report));
    EXPECT_EQ(std::get<TakenReport>(report).digest.computer, "SRV-Z\xC3\x9CRICH");
    EXPECT_EQ(std::get<TakenReport>(report).file, Path("reports/a.html"));

    struct Case {
        Found found;
        std::string message;
    };
    const Case cases[] = {
        {PageFile{At("reports/other.html"), {}},
         Path("reports/other.html") + ": not a System Assessment report: line 1, column 2: "},
        {PageFile{At("reports/locked.html"), {}}, Path("reports/locked.html") + ": cannot be read (" + Denied + ")"},
        {PassedOver{At("reports/fifo.html"), "not a regular file"}, Path("reports/fifo.html") + ": not a regular file"},
    };
    for (const Case& c : cases) {
        const Taken taken = TakeIn(c.found);
        ASSERT_TRUE(std::holds_alternative<Rejection>(taken)) << c.message;
        EXPECT_EQ(std::get<Rejection>(taken).message.substr(0, c.message.size()), c.message);
    }
}

// A note is its host's whatever it holds: one that cannot be read is a note
// of `Other` that says why, and a message names it.
TEST_F(IntakeTest, ANoteIsItsHostsEvenWhenItCannotBeRead)
{
    Write("reports/web.not-assessed.txt", "timed out: after 300 s\n");
    Write("reports/locked.not-assessed.txt", "timed out: unread");
    files_.unreadable.insert(At("reports/locked.not-assessed.txt").lexically_normal());
    struct Case {
        NoteFile found;
        NoteKind kind;
        std::string detail;
        bool named;
    };
    const Case cases[] = {
        {{At("reports/web.not-assessed.txt"), {}}, NoteKind::TimedOut, "after 300 s", false},
        {{At("reports/locked.not-assessed.txt"), {}},
         NoteKind::Other,
         std::string("note not read: cannot be read (") + Denied + ")",
         true},
        {{At("reports/fifo.not-assessed.txt"), Failure("not a regular file")},
         NoteKind::Other,
         "note not read: not a regular file",
         true},
    };
    for (const Case& c : cases) {
        const Taken taken = TakeIn(c.found);
        ASSERT_TRUE(std::holds_alternative<TakenNote>(taken)) << c.detail;
        const auto& note = std::get<TakenNote>(taken);
        EXPECT_EQ(note.note.kind, c.kind) << c.detail;
        EXPECT_EQ(note.note.detail, c.detail);
        EXPECT_EQ(note.file, PathToUtf8(c.found.path));
        EXPECT_EQ(note.message.has_value(), c.named) << c.detail;
        if (note.message) {
            EXPECT_EQ(*note.message, ShownPath(c.found.path) + ": a note not read: " + c.detail.substr(15) +
                                         "; its host is counted as not assessed");
        }
    }
}

} // namespace
} // namespace Talvane::Nimlo
