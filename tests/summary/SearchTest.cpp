#include "summary/Search.h"

#include <set>

#include <gtest/gtest.h>

#include "fakes/SearchAll.h"
#include "fakes/SummaryFolder.h"
#include "summary/HostFiles.h"

namespace Talvane::Nimlo {
namespace {

constexpr const char* Denied = Testing::FailingFileSystem::PermissionDenied;

namespace fs = std::filesystem;

class SearchTest : public Testing::SummaryFolderTest {
protected:
    // What the search of `paths` meets, in its order, each as
    // "page|note|passed over PATH[: why]" with PATH relative to the test's folder.
    std::vector<std::string> Met(const std::vector<std::string>& paths)
    {
        std::vector<std::string> met;
        for (const Found& found : Testing::SearchAll(files_, paths)) {
            if (const auto* page = std::get_if<PageFile>(&found)) {
                met.push_back("page " + Relative(page->path));
            } else if (const auto* note = std::get_if<NoteFile>(&found)) {
                met.push_back("note " + Relative(note->path) + (note->readable ? "" : ": " + note->readable.error()));
            } else {
                const auto& passedOver = std::get<PassedOver>(found);
                met.push_back("passed over " + Relative(passedOver.path) + ": " + passedOver.why);
            }
        }
        return met;
    }

    std::string Relative(const fs::path& path) const
    {
        return PathToUtf8(path.lexically_relative(root_).generic_u8string());
    }
};

// Depth first, each folder's entries in name order; only pages, notes and
// folders are its concern, and what it cannot take is passed over with why.
TEST_F(SearchTest, FoldersDepthFirstInNameOrder)
{
    fs::create_directories(root_ / "reports/z");
    for (const char* page : {"reports/b.html", "reports/a.HTM", "reports/sub/c.html", "reports/z/d.htm"}) {
        Write(page, "page");
    }
    Write("reports/notes.txt", "not a page");
    Write("reports/sub/web.not-assessed.txt", "unreachable: no route");
    Write("reports/big.not-assessed.txt", "");
    fs::resize_file(root_ / "reports/big.not-assessed.txt", MaxNoteBytes + 1);
    Write("reports/huge.html", "");
    fs::resize_file(root_ / "reports/huge.html", MaxReportBytes + 1); // sparse: nothing to read in the test
    fs::create_directories(root_ / "reports/locked");
    files_.unlistable.insert((root_ / "reports/locked").lexically_normal());

    EXPECT_EQ(Met({Path("reports"), Path("missing"), Path("reports/b.html"), Path("reports/sub/web.not-assessed.txt")}),
              (std::vector<std::string>{
                  "page reports/a.HTM", "page reports/b.html",
                  "note reports/big.not-assessed.txt: 65537 bytes, larger than any note (65536 bytes at most)",
                  std::string("passed over reports/huge.html: 67108865 bytes, larger than any report (67108864 ") +
                      "bytes at most); not read",
                  std::string("passed over reports/locked: cannot be searched (") + Denied + ")",
                  "page reports/sub/c.html", "note reports/sub/web.not-assessed.txt", "page reports/z/d.htm",
                  "passed over missing: no such file or folder",
                  "note reports/sub/web.not-assessed.txt", // a note is met under each name, a page once
              }));
}

// Only a name that can be a page, a note or a folder is looked up (the
// listing tells which can lead to a folder): a share's other files cost no
// request.
TEST_F(SearchTest, OnlyNamesThatCanBeAPageANoteOrAFolderAreLookedUp)
{
    class Recording : public Testing::FailingFileSystem {
    public:
        FileResult<Entry> Examine(const FilePath& path, Links links) override
        {
            examined.insert(PathToUtf8(fs::path(path).filename()));
            return FailingFileSystem::Examine(path, links);
        }
        std::set<std::string> examined;
    } files;
    for (const char* name :
         {"reports/a.html", "reports/readme.txt", "reports/data.bin", "reports/x.not-assessed.txt"}) {
        Write(name, "");
    }
    Testing::SearchAll(files, {Path("reports")});
    EXPECT_EQ(files.examined, (std::set<std::string>{"reports", "a.html", "sub", "x.not-assessed.txt"}));
}

#ifndef _WIN32
// Linked folders are followed, each real folder once, so a loop ends; a file
// met again under another name is passed over in silence.
TEST_F(SearchTest, LinksAreFollowedAndEachFileAndFolderMetOnce)
{
    fs::create_directories(root_ / "elsewhere");
    Write("reports/a.html", "page");
    Write("elsewhere/b.html", "page");
    fs::create_directory_symlink(root_ / "elsewhere", root_ / "reports/linked");
    fs::create_directory_symlink(root_ / "elsewhere", root_ / "reports/sub/again");
    fs::create_directory_symlink("..", root_ / "reports/sub/up"); // a loop
    fs::create_hard_link(root_ / "reports/a.html", root_ / "reports/sub/same.html");
    fs::create_symlink(root_ / "reports/a.html", root_ / "reports/sub/link.html");
    std::vector<std::string> expected{"page reports/a.html", "page reports/linked/b.html"};
    for (int i = 0; i < 40; ++i) { // enough files for the set of those met to grow a few times
        const std::string name = "reports/sub/other-" + std::to_string(100 + i) + ".htm";
        Write(name, "page");
        expected.push_back("page " + name);
    }
    EXPECT_EQ(Met({Path("reports"), Path("reports/a.html"), Path("reports/sub")}), expected);
}
#endif

} // namespace
} // namespace Talvane::Nimlo
