#include "summary/PooledIntake.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "fakes/SummaryFolder.h"

namespace Talvane::Nimlo {
namespace {

namespace fs = std::filesystem;

// What a run leaves, each with its name: its status, what it printed, and every output file.
using Kept = std::vector<std::pair<std::string, std::string>>;

class PooledIntakeTest : public Testing::SummaryFolderTest {
protected:
    Kept RunAndKeep(const std::vector<std::string>& jobs)
    {
        fs::remove_all(root_ / "out");
        fs::create_directories(root_ / "out");
        std::vector<std::string> arguments = jobs;
        for (const char* option : {"--csv", "--html", "--machines"}) {
            arguments.insert(arguments.end(), {option, Path(std::string("out/") + (option + 2))});
        }
        arguments.insert(arguments.end(), {"--lists", Path("out/lists"), "--expect", Path("expected.txt"),
                                           Path("reports"), Path("reports/sub"), Path("missing")});
        Kept kept{{"status", std::to_string(Run(arguments))},
                  {"standard output", out_.str()},
                  {"standard error", err_.str()}};
        for (const auto& entry : fs::recursive_directory_iterator(root_ / "out")) {
            if (entry.is_regular_file()) {
                const fs::path file = fs::relative(entry.path(), root_);
                kept.emplace_back(PathToUtf8(file), Read(file));
            }
        }
        std::sort(kept.begin() + 3, kept.end());
        return kept;
    }
};

// Whatever the number of threads and the order the look-ups and reads end
// in, a run says and writes the same bytes, in the search's order.
TEST_F(PooledIntakeTest, EveryOutputIsTheSameWhateverTheThreadsAndTheOrderReadsEndIn)
{
    const std::string_view pages[] = {EmbeddedGoldenAllPass, EmbeddedGoldenAllFail, EmbeddedGoldenEmpty};
    for (int i = 0; i < 40; ++i) {
        const std::string folder = i % 3 == 0 ? "reports/sub/" : i % 5 == 0 ? "reports/sub/deeper/" : "reports/";
        fs::create_directories(root_ / folder);
        Write(folder + "host-" + std::to_string(i) + ".html", pages[i % 3]);
    }
    Write("reports/down.not-assessed.txt", "unreachable: ssh: connect to host down port 22: Connection refused\n");
    Write("reports/sub/empty.not-assessed.txt", "");
    Write("reports/host-1.not-assessed.txt", "timed out: after 300 s\n"); // beside its report
    Write("reports/cut.html", std::string_view(EmbeddedGoldenAllFail).substr(0, 3000));
    Write("reports/other.htm", "no report");
    Write("reports/unreadable.html", EmbeddedGoldenAllPass);
    Write("reports/notes.txt", "not searched");
    Write("reports/big.html", "");
    fs::resize_file(root_ / "reports/big.html", ReadBudgetBytes + 1); // read alone
    fs::create_directories(root_ / "reports/locked");
    Write("expected.txt", "host-2\nhost-7\ndown\nnever-seen\n");
    files_.unreadable.insert((root_ / "reports" / "unreadable.html").lexically_normal());
    files_.unlistable.insert((root_ / "reports" / "locked").lexically_normal());

    const Kept once = RunAndKeep({"--jobs", "1"});
    EXPECT_EQ(once[0].second, "2");
    EXPECT_NE(once[2].second.find("40 reports read, 6 rejected"), std::string::npos) << once[2].second;
    struct Case {
        const char* name;
        std::vector<std::string> jobs;
        std::optional<std::uint32_t> shuffle;
    };
    const Case cases[] = {
        {"the default", {}, std::nullopt},
        {"64 threads", {"--jobs", "64"}, std::nullopt},
        {"one at a time, shuffled", {"--jobs", "1"}, 7},
        {"64, shuffled", {"--jobs", "64"}, 11},
        {"64, shuffled otherwise", {"--jobs", "64"}, 12345},
    };
    for (const Case& c : cases) {
        services_.shuffleSeed = c.shuffle;
        const Kept run = RunAndKeep(c.jobs);
        ASSERT_EQ(run.size(), once.size()) << c.name;
        for (std::size_t i = 0; i < run.size(); ++i) {
            EXPECT_EQ(run[i].first, once[i].first) << c.name;
            if (run[i].first == "standard error") {
                EXPECT_EQ(run[i].second, once[i].second) << c.name;
            } else {
                EXPECT_TRUE(run[i].second == once[i].second) << c.name << ": " << run[i].first << " differs";
            }
        }
    }
    EXPECT_EQ(services_.poolThreads.front(), 64u) << "--jobs is the number of files read at once";
}

// A page larger than LargePageBytes keeps its content for its CSV lines,
// which are then written from it: the same lines as a small page's.
TEST_F(PooledIntakeTest, ALargePageHasTheSameCsvLinesAsASmallOne)
{
    Write("reports/small.html", EmbeddedGoldenAllFail);
    Write("reports/large.html", std::string(EmbeddedGoldenAllFail) + std::string(LargePageBytes, '\n'));
    ASSERT_EQ(Run({Path("reports")}), 0) << err_.str();
    const std::string csv = out_.str();
    const auto lines = [&csv](const std::string& file) {
        std::string kept;
        for (std::size_t at = csv.find(file); at != std::string::npos; at = csv.find(file, at + 1)) {
            kept += csv.substr(at + file.size(), csv.find("\r\n", at) - at - file.size()) + "\n";
        }
        return kept;
    };
    EXPECT_EQ(lines(Path("reports/large.html")), lines(Path("reports/small.html")));
    EXPECT_NE(lines(Path("reports/large.html")), "");
}

} // namespace
} // namespace Talvane::Nimlo
