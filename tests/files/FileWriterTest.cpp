#include "files/FileWriter.h"

#include <algorithm>
#include <set>

#include <gtest/gtest.h>

#include "fakes/FakeRunServices.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

using Testing::FakeFileSystem;
using Files = std::map<std::u16string, std::string>;

// Writes `bytes` through a writer that replaces `target`, and puts them in place.
WriteResult Replace(FakeFileSystem& files, BusyRetries& retries, const std::u16string& target, std::string_view bytes)
{
    FileWriter writer(files, target, WriteWay::Replace, u"Results.");
    if (WriteResult written = writer.Write(bytes); !written) {
        return written;
    }
    return writer.Finish(retries);
}

TEST(FileWriterTest, NamesStayBesideTheTargetNeverEndLikeAPageAndFitWhereItFits)
{
    struct Case {
        std::u16string target;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"System Assessment Results.html", u"~Results.fedcba9876543210.tmp"},
        {u"out.csv", u"~fedcba9876543210.tmp"},
        {u"lists/client.txt", u"lists/~fedcba9876543210.tmp"},
        {u"C:\\fleet\\fleet-of-23-units-a.csv", u"C:\\fleet\\~Refedcba9876543210.tmp"},
        {u"D:x.csv", u"D:~fedcba9876543210.tmp"},
    };
    for (const Case& c : cases) {
        const std::u16string name = ReplacementName(c.target, u"Results.", 0xFEDCBA9876543210ULL);
        EXPECT_EQ(name, c.expected) << ToUtf8(c.target);
        const std::size_t folder = c.target.find_last_of(u"/\\:") + 1;
        const std::size_t targetLength = c.target.size() - folder;
        EXPECT_LE(name.size() - folder, std::max<std::size_t>(targetLength, 21)) << ToUtf8(c.target);
        EXPECT_FALSE(name.ends_with(u".html") || name.ends_with(u".htm"));
    }
    std::set<std::u16string> names;
    for (const std::uint64_t number : {0ULL, 1ULL, 0x10ULL, ~0ULL}) {
        names.insert(ReplacementName(u"out.csv", u"", number));
    }
    EXPECT_EQ(names.size(), 4u);
}

TEST(FileWriterTest, ANameAlreadyThereIsNeverOpenedAnotherIsTried)
{
    FakeFileSystem files;
    Testing::FakeClock clock;
    BusyRetries retries(clock, 5000);
    files.files[ReplacementName(u"report.html", u"Results.", 0x1234)] = "planted";
    files.files[ReplacementName(u"report.html", u"Results.", 0x1235)] = "planted too";
    EXPECT_TRUE(Replace(files, retries, u"report.html", "page"));
    EXPECT_EQ(files.files.at(ReplacementName(u"report.html", u"Results.", 0x1234)), "planted");
    EXPECT_EQ(files.files.at(ReplacementName(u"report.html", u"Results.", 0x1235)), "planted too");
    EXPECT_EQ(files.files.at(u"report.html"), "page");
    EXPECT_EQ(files.files.size(), 3u);
    EXPECT_TRUE(files.removed.empty());
}

TEST(FileWriterTest, TriesABoundedNumberOfNamesAndKeepsTheLastRefusal)
{
    FakeFileSystem files;
    files.takeEveryName = true;
    const FileWriter writer(files, u"report.html", WriteWay::Replace);
    EXPECT_EQ(std::count(files.log.begin(), files.log.end(), "create"), ReplacementNameTries);
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_EQ(writer.Status().error().code, FakeFileSystem::FileExists);
}

TEST(FileWriterTest, ANewFileThatNeverTookTheNameIsRemovedAfterItIsClosed)
{
    FakeFileSystem files;
    files.files[u"report.html"] = "earlier";
    {
        FileWriter writer(files, u"report.html", WriteWay::Replace);
        EXPECT_TRUE(writer.Write("half a pa"));
        writer.Abandon();
    }
    EXPECT_EQ(files.files, (Files{{u"report.html", "earlier"}}));
    {
        const FileWriter untouched(files, u"report.html", WriteWay::Replace);
    }
    EXPECT_EQ(files.files, (Files{{u"report.html", "earlier"}}));
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
        std::optional<EntryKind> target;
        bool failRename;
        bool replaced;
        std::vector<std::uint32_t> sleeps;
    };
    const std::vector<std::uint32_t> fiveSeconds{100, 200, 300, 400, 500, 500, 500, 500, 500, 500, 500, 500};
    const Case cases[] = {
        {"held twice, then let go", 2, std::nullopt, false, true, {100, 200}},
        {"held throughout", -1, std::nullopt, false, false, fiveSeconds},
        {"refused", 0, std::nullopt, true, false, {}},
        {"a folder in the way", -1, EntryKind::Folder, false, false, {}},
        {"a read-only file in the way", -1, EntryKind::ReadOnlyFile, false, false, {}},
        {"a link in the way", -1, EntryKind::Other, false, false, {}},
    };
    for (const Case& c : cases) {
        FakeFileSystem files;
        Testing::FakeClock clock;
        BusyRetries retries(clock, 5000);
        files.files[u"report.html"] = "earlier";
        files.busyRenames = c.busyRenames;
        files.failRename = c.failRename;
        if (c.target) {
            files.kinds[u"report.html"] = *c.target;
        }
        const WriteResult placed = Replace(files, retries, u"report.html", "page");
        EXPECT_EQ(placed.has_value(), c.replaced) << c.name;
        if (!placed) {
            EXPECT_EQ(placed.error().step, WriteStep::Rename) << c.name;
            EXPECT_EQ(placed.error().code, FakeFileSystem::AccessDenied) << c.name;
        }
        EXPECT_EQ(clock.sleeps, c.sleeps) << c.name;
        EXPECT_EQ(files.files, (Files{{u"report.html", c.replaced ? "page" : "earlier"}})) << c.name;
    }
}

// However many targets are busy, one run waits for them at most its budget.
TEST(FileWriterTest, TheRetriesOfOneRunShareOneBudget)
{
    FakeFileSystem files;
    Testing::FakeClock clock;
    BusyRetries retries(clock, 10000);
    files.busyRenames = -1;
    for (const std::u16string target : {u"a.csv", u"b.html", u"c.txt", u"d.txt"}) {
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
        files.files[u"report.html"] = "earlier";
        files.*c.failure = true;
        FileWriter writer(files, u"report.html", WriteWay::Replace);
        WriteResult result = writer.Write("page");
        if (result) {
            result = writer.Finish(retries);
        }
        ASSERT_FALSE(result) << c.name;
        EXPECT_EQ(result.error().step, c.step) << c.name;
        EXPECT_EQ(result.error().code, c.code) << c.name;
        EXPECT_EQ(files.files, (Files{{u"report.html", "earlier"}})) << c.name;
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
    FileWriter writer(files, u"/dev/null", WriteWay::Direct);
    EXPECT_EQ(writer.Status().error().step, WriteStep::Create);
    EXPECT_EQ(writer.Status().error().code, FakeFileSystem::FileNotFound);
    EXPECT_EQ(files.log, std::vector<std::string>{"open"});
}

} // namespace
} // namespace Talvane::Nimlo
