#include "files/FileReplacement.h"

#include <algorithm>
#include <set>

#include <gtest/gtest.h>

#include "fakes/FakeRunServices.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

using Testing::FakeFileSystem;
using Files = std::map<std::u16string, std::string>;

// Writes `bytes` into a replacement of `target` and puts it in place.
FileStatus Replace(FakeFileSystem& files, BusyRetries& retries, const std::u16string& target, std::string_view bytes)
{
    FileReplacement replacement(files, target, u"Results.");
    const std::optional<NativeFile> file = replacement.TakeFile();
    if (!file) {
        return {replacement.CreationError()};
    }
    files.Write(*file, bytes);
    files.Close(*file);
    return replacement.PutInPlace(retries);
}

TEST(FileReplacementTest, NamesStayBesideTheTargetNeverEndLikeAPageAndFitWhereItFits)
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

TEST(FileReplacementTest, ANameAlreadyThereIsNeverOpenedAnotherIsTried)
{
    FakeFileSystem files;
    Testing::FakeClock clock;
    BusyRetries retries(clock, 5000);
    files.files[ReplacementName(u"report.html", u"Results.", 0x1234)] = "planted";
    files.files[ReplacementName(u"report.html", u"Results.", 0x1235)] = "planted too";
    EXPECT_TRUE(Replace(files, retries, u"report.html", "page").Done());
    EXPECT_EQ(files.files.at(ReplacementName(u"report.html", u"Results.", 0x1234)), "planted");
    EXPECT_EQ(files.files.at(ReplacementName(u"report.html", u"Results.", 0x1235)), "planted too");
    EXPECT_EQ(files.files.at(u"report.html"), "page");
    EXPECT_EQ(files.files.size(), 3u);
    EXPECT_TRUE(files.removed.empty());
}

TEST(FileReplacementTest, TriesABoundedNumberOfNamesAndKeepsTheLastRefusal)
{
    FakeFileSystem files;
    files.takeEveryName = true;
    FileReplacement replacement(files, u"report.html", u"");
    EXPECT_EQ(std::count(files.log.begin(), files.log.end(), "create"), ReplacementNameTries);
    EXPECT_FALSE(replacement.TakeFile());
    EXPECT_EQ(replacement.CreationError(), FakeFileSystem::FileExists);
}

TEST(FileReplacementTest, ANewFileThatNeverTookTheNameIsRemovedAfterItIsClosed)
{
    FakeFileSystem files;
    files.files[u"report.html"] = "earlier";
    {
        FileReplacement replacement(files, u"report.html", u"");
        const NativeFile file = *replacement.TakeFile();
        files.Write(file, "half a pa");
        files.Close(file);
    }
    EXPECT_EQ(files.files, (Files{{u"report.html", "earlier"}}));
    {
        FileReplacement untaken(files, u"report.html", u""); // nobody took the file: the replacement closes it
    }
    EXPECT_EQ(files.files, (Files{{u"report.html", "earlier"}}));
    EXPECT_TRUE(files.open.empty());
    EXPECT_EQ(files.log, (std::vector<std::string>{"number", "create", "write", "close", "remove", "number", "create",
                                                   "close", "remove"}));
}

// A target held open by another program is tried again with growing pauses
// while the run has time for it; what no moment can cure fails at once.
TEST(FileReplacementTest, OnlyATargetHeldOpenIsTriedAgainAndOnlyForAWhile)
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
        const FileStatus placed = Replace(files, retries, u"report.html", "page");
        EXPECT_EQ(placed.Done(), c.replaced) << c.name;
        EXPECT_EQ(placed.error, c.replaced ? 0 : FakeFileSystem::AccessDenied) << c.name;
        EXPECT_EQ(clock.sleeps, c.sleeps) << c.name;
        EXPECT_EQ(files.files, (Files{{u"report.html", c.replaced ? "page" : "earlier"}})) << c.name;
    }
}

// However many targets are busy, one run waits for them at most its budget.
TEST(FileReplacementTest, TheRetriesOfOneRunShareOneBudget)
{
    FakeFileSystem files;
    Testing::FakeClock clock;
    BusyRetries retries(clock, 10000);
    files.busyRenames = -1;
    for (const std::u16string target : {u"a.csv", u"b.html", u"c.txt", u"d.txt"}) {
        files.files[target] = "earlier";
        EXPECT_TRUE(Replace(files, retries, target, "new").inUse);
    }
    EXPECT_EQ(clock.Slept(), 10000u);
    EXPECT_EQ(files.files.size(), 4u) << "every new file removed";
}

} // namespace
} // namespace Talvane::Nimlo
