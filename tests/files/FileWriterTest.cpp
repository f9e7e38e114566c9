#include "files/FileWriter.h"

#include <algorithm>
#include <set>

#include <gtest/gtest.h>

#include "fakes/FakeRunServices.h"

namespace Talvane::Nimlo {
namespace {

using Testing::FakeFileSystem;
using Files = std::map<FilePath, std::string>;

FilePath P(std::string_view ascii)
{
    return AsciiPath(ascii);
}

// Writes `bytes` through a writer that replaces `target`, and puts them in place.
WriteResult Replace(FakeFileSystem& files, BusyRetries& retries, const FilePath& target, std::string_view bytes)
{
    FileWriter writer(files, target, WriteWay::Replace, "Results.");
    if (WriteResult written = writer.Write(bytes); !written) {
        return written;
    }
    return writer.Finish(retries);
}

TEST(FileWriterTest, NamesStayBesideTheTargetNeverEndLikeAPageAndFitWhereItFits)
{
    struct Case {
        std::string_view target;
        std::string_view expected;
        std::size_t folder; // the length of the target's folder
    };
    const Case cases[] = {
        {"System Assessment Results.html", "~Results.fedcba9876543210.tmp", 0},
        {"out.csv", "~fedcba9876543210.tmp", 0},
        {"lists/client.txt", "lists/~fedcba9876543210.tmp", 6},
#ifdef _WIN32
        {"C:\\fleet\\fleet-of-23-units-a.csv", "C:\\fleet\\~Refedcba9876543210.tmp", 9},
        {"D:x.csv", "D:~fedcba9876543210.tmp", 2},
#else
        // A backslash and a colon are a name's own characters on POSIX.
        {"reports/a:b\\fleet-of-23-units.csv", "reports/~Resufedcba9876543210.tmp", 8},
#endif
    };
    for (const Case& c : cases) {
        const FilePath name = ReplacementName(P(c.target), "Results.", 0xFEDCBA9876543210ULL);
        EXPECT_EQ(name, P(c.expected)) << c.target;
        EXPECT_LE(name.size() - c.folder, std::max<std::size_t>(c.target.size() - c.folder, 21)) << c.target;
        EXPECT_FALSE(name.ends_with(P(".html")) || name.ends_with(P(".htm")));
    }
    std::set<FilePath> names;
    for (const std::uint64_t number : {0ULL, 1ULL, 0x10ULL, ~0ULL}) {
        names.insert(ReplacementName(P("out.csv"), "", number));
    }
    EXPECT_EQ(names.size(), 4u);
}

TEST(FileWriterTest, ANameAlreadyThereIsNeverOpenedAnotherIsTried)
{
    FakeFileSystem files;
    Testing::FakeClock clock;
    BusyRetries retries(clock, 5000);
    files.files[ReplacementName(P("report.html"), "Results.", 0x1234)] = "planted";
    files.files[ReplacementName(P("report.html"), "Results.", 0x1235)] = "planted too";
    EXPECT_TRUE(Replace(files, retries, P("report.html"), "page"));
    EXPECT_EQ(files.files.at(ReplacementName(P("report.html"), "Results.", 0x1234)), "planted");
    EXPECT_EQ(files.files.at(ReplacementName(P("report.html"), "Results.", 0x1235)), "planted too");
    EXPECT_EQ(files.files.at(P("report.html")), "page");
    EXPECT_EQ(files.files.size(), 3u);
    EXPECT_TRUE(files.removed.empty());
}

TEST(FileWriterTest, TriesABoundedNumberOfNamesAndKeepsTheLastRefusal)
{
    FakeFileSystem files;
    files.takeEveryName = true;
    const FileWriter writer(files, P("report.html"), WriteWay::Replace);
    EXPECT_EQ(std::count(files.log.begin(), files.log.end(), "create"), ReplacementNameTries);
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_EQ(writer.Status().error().code, FakeFileSystem::FileExists);
}

TEST(FileWriterTest, ANewFileThatNeverTookTheNameIsRemovedAfterItIsClosed)
{
    FakeFileSystem files;
    files.files[P("report.html")] = "earlier";
    {
        FileWriter writer(files, P("report.html"), WriteWay::Replace);
        EXPECT_TRUE(writer.Write("half a pa"));
        writer.Abandon();
    }
    EXPECT_EQ(files.files, (Files{{P("report.html"), "earlier"}}));
    {
        const FileWriter untouched(files, P("report.html"), WriteWay::Replace);
    }
    EXPECT_EQ(files.files, (Files{{P("report.html"), "earlier"}}));
    EXPECT_TRUE(files.open.empty());
    EXPECT_EQ(files.log, (std::vector<std::string>{"number", "create", "write", "close", "remove", "number", "create",
                                                   "close", "remove"}));
}

// A target held open by another program is tried again with growing pauses
// while the run has time for it; what no moment can cure fails at once.
TEST(FileWriterTest, OnlyATargetHeldOpenIsTriedAgainAndOnlyForAWhile)
{
    struct Case {
        const char* name;
        int busyRenames;
        std::optional<Entry> target;
        bool failRename;
        bool replaced;
        std::vector<std::uint32_t> sleeps;
    };
    const std::vector<std::uint32_t> fiveSeconds{100, 200, 300, 400, 500, 500, 500, 500, 500, 500, 500, 500};
    const Case cases[] = {
        {"held twice, then let go", 2, std::nullopt, false, true, {100, 200}},
        {"held throughout", -1, std::nullopt, false, false, fiveSeconds},
        {"refused", 0, std::nullopt, true, false, {}},
        {"a folder in the way", -1, Entry{.type = EntryType::Folder}, false, false, {}},
        {"a read-only file in the way", -1, Entry{.type = EntryType::Regular, .readOnly = true}, false, false, {}},
        {"a link in the way", -1, Entry{.type = EntryType::Other, .isLink = true}, false, false, {}},
    };
    for (const Case& c : cases) {
        FakeFileSystem files;
        Testing::FakeClock clock;
        BusyRetries retries(clock, 5000);
        files.files[P("report.html")] = "earlier";
        files.busyRenames = c.busyRenames;
        files.failRename = c.failRename;
        if (c.target) {
            files.entries[P("report.html")] = *c.target;
        }
        const WriteResult placed = Replace(files, retries, P("report.html"), "page");
        EXPECT_EQ(placed.has_value(), c.replaced) << c.name;
        if (!placed) {
            EXPECT_EQ(placed.error().step, WriteStep::Rename) << c.name;
            EXPECT_EQ(placed.error().code, FakeFileSystem::AccessDenied) << c.name;
        }
        EXPECT_EQ(clock.sleeps, c.sleeps) << c.name;
        EXPECT_EQ(files.files, (Files{{P("report.html"), c.replaced ? "page" : "earlier"}})) << c.name;
    }
}

// However many targets are busy, one run waits for them at most its budget.
TEST(FileWriterTest, TheRetriesOfOneRunShareOneBudget)
{
    FakeFileSystem files;
    Testing::FakeClock clock;
    BusyRetries retries(clock, 10000);
    files.busyRenames = -1;
    for (const FilePath& target : {P("a.csv"), P("b.html"), P("c.txt"), P("d.txt")}) {
        files.files[target] = "earlier";
        const WriteResult placed = Replace(files, retries, target, "new");
        EXPECT_TRUE(!placed && placed.error().inUse);
    }
    EXPECT_EQ(clock.Slept(), 10000u);
    EXPECT_EQ(files.files.size(), 4u) << "every new file removed";
}

// Whichever step fails, the target keeps its bytes, nothing is left beside it
// and nothing stays open; the failure names its step and the system's code
// where it gave one, and is given again without another call.
TEST(FileWriterTest, AFailureAtAnyStepLeavesTheTargetAsItWasAndNothingElse)
{
    struct Case {
        const char* name;
        bool FakeFileSystem::*failure;
        WriteStep step;
        std::optional<SystemCode> code;
    };
    const Case cases[] = {
        {"creation refused", &FakeFileSystem::refuseCreate, WriteStep::Create, FakeFileSystem::AccessDenied},
        {"no number for a name", &FakeFileSystem::noNumbers, WriteStep::Create, std::nullopt},
        {"write", &FakeFileSystem::failWrite, WriteStep::Write, FakeFileSystem::DiskFull},
        {"short write", &FakeFileSystem::shortWrite, WriteStep::Write, std::nullopt},
        {"flush", &FakeFileSystem::failFlush, WriteStep::Flush, FakeFileSystem::DiskFull},
        {"rename", &FakeFileSystem::failRename, WriteStep::Rename, FakeFileSystem::AccessDenied},
    };
    for (const Case& c : cases) {
        FakeFileSystem files;
        Testing::FakeClock clock;
        BusyRetries retries(clock, 5000);
        files.files[P("report.html")] = "earlier";
        files.*c.failure = true;
        FileWriter writer(files, P("report.html"), WriteWay::Replace);
        WriteResult result = writer.Write("page");
        if (result) {
            result = writer.Finish(retries);
        }
        ASSERT_FALSE(result) << c.name;
        EXPECT_EQ(result.error().step, c.step) << c.name;
        EXPECT_EQ(result.error().code, c.code) << c.name;
        EXPECT_EQ(files.files, (Files{{P("report.html"), "earlier"}})) << c.name;
        EXPECT_TRUE(files.open.empty()) << c.name;
        const std::size_t calls = files.log.size();
        EXPECT_EQ(writer.Write("more").error().step, c.step) << c.name;
        EXPECT_EQ(writer.Finish(retries).error().step, c.step) << c.name;
        EXPECT_EQ(files.log.size(), calls) << c.name << ": called again after the failure";
    }
}

// What is there already is written into as it is: nothing is created or renamed.
TEST(FileWriterTest, AFileWrittenIntoDirectlyIsOpenedAsItIs)
{
    FakeFileSystem files;
    FileWriter writer(files, P("/dev/null"), WriteWay::Direct);
    EXPECT_EQ(writer.Status().error().step, WriteStep::Create);
    EXPECT_EQ(writer.Status().error().code, FakeFileSystem::FileNotFound);
    EXPECT_EQ(files.log, std::vector<std::string>{"open"});
}

} // namespace
} // namespace Talvane::Nimlo
