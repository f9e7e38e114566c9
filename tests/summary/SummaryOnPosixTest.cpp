// What a POSIX file system can put in the summary's way: devices, FIFOs,
// links that loop or lead nowhere, linked folders, names that are no UTF-8.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include <gtest/gtest.h>

#include "fakes/SummaryFolder.h"
#include "summary/HostFiles.h"

namespace Talvane::Nimlo {
namespace {

namespace fs = std::filesystem;

class SummaryOnPosixTest : public Testing::SummaryFolderTest {
protected:
    // The summary in a thread of its own, waited for a bounded time: a read
    // that blocks on a FIFO fails the test instead of hanging it.
    int RunBounded(const std::vector<std::string>& arguments)
    {
        auto run = std::async(std::launch::async, [&] { return Run(arguments); });
        if (run.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
            // Let the blocked open go on, so the thread can end with the test.
            for (const char* fifo : {"reports/fifo.html", "fifo", "reports/fifo.not-assessed.txt"}) {
                const int unblock = ::open((root_ / fifo).c_str(), O_WRONLY | O_NONBLOCK);
                if (unblock >= 0) {
                    ::close(unblock);
                }
            }
            // A FIFO written into: read from until the run ends, so its writes neither wait nor break the pipe.
            std::vector<int> readers;
            for (const char* fifo : {"lists/client.txt"}) {
                if (const int reader = ::open((root_ / fifo).c_str(), O_RDONLY | O_NONBLOCK); reader >= 0) {
                    readers.push_back(reader);
                }
            }
            ADD_FAILURE() << "the summary still waits after 20 s";
            const int status = run.get();
            for (const int reader : readers) {
                ::close(reader);
            }
            return status;
        }
        return run.get();
    }

    bool MakeDevice(const fs::path& relative, unsigned minor)
    {
        return ::mknod((root_ / relative).c_str(), S_IFCHR | 0666, makedev(1, minor)) == 0;
    }
};

TEST_F(SummaryOnPosixTest, WhatHoldsNoPageIsNamedAndNeverWaitedOn)
{
    Write("reports/a.html", EmbeddedGoldenAllPass);
    ASSERT_EQ(::mkfifo((root_ / "reports/fifo.html").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((root_ / "fifo").c_str(), 0600), 0);
    const bool zero = MakeDevice("reports/zero-device", 5);
    fs::create_symlink(zero ? root_ / "reports/zero-device" : fs::path("/dev/zero"), root_ / "reports/zero.html");
    fs::create_symlink("loop.html", root_ / "reports/loop.html");
    fs::create_symlink("nowhere.html", root_ / "reports/dangling.html");

    EXPECT_EQ(RunBounded({"--csv", Path("out.csv"), Path("reports"), Path("fifo")}), 2);
    const std::string messages = err_.str();
    for (const std::string& expected : {
             Path("reports/fifo.html") + ": not a regular file (a device, FIFO, socket or terminal); not read",
             Path("reports/zero.html") + ": not a regular file",
             Path("fifo") + ": not a regular file",
             Path("reports/loop.html") + ": a link that loops",
             Path("reports/dangling.html") + ": a link that leads nowhere",
         }) {
        EXPECT_NE(messages.find(expected), std::string::npos) << expected << "\nin:\n" << messages;
    }
    EXPECT_EQ(messages.find("zero-device"), std::string::npos) << "not a page name: not ours to read";
    EXPECT_NE(messages.find("1 reports read, 5 rejected"), std::string::npos) << messages;
}

// A note that cannot be read still accounts for its host, under "other" with why.
TEST_F(SummaryOnPosixTest, NotesThatAreNoRegularFileAreNamedAndNeverWaitedOn)
{
    Write("reports/a.html", EmbeddedGoldenAllPass);
    ASSERT_EQ(::mkfifo((root_ / "reports/fifo.not-assessed.txt").c_str(), 0600), 0);
    fs::create_symlink("loop.not-assessed.txt", root_ / "reports/loop.not-assessed.txt");
    fs::create_symlink("nowhere", root_ / "reports/dangling.not-assessed.txt");
    const bool zero = MakeDevice("zero-device", 5);
    fs::create_symlink(zero ? root_ / "zero-device" : fs::path("/dev/zero"), root_ / "reports/zero.not-assessed.txt");
    Write("elsewhere.txt", "timed out: after 9 s\n");
    fs::create_symlink(root_ / "elsewhere.txt", root_ / "reports/linked.not-assessed.txt");

    EXPECT_EQ(RunBounded({"--machines", Path("machines.csv"), Path("reports"), Path("reports/fifo.not-assessed.txt")}),
              2);
    const std::string machines = Read("machines.csv");
    for (const auto& [host, reason] : std::vector<std::pair<std::string, std::string>>{
             {"fifo", "\"other: note not read: not a regular file (a device"},
             {"loop", "\"other: note not read: a link that loops"},
             {"dangling", "other: note not read: a link that leads nowhere\r\n"},
             {"zero", "\"other: note not read: not a regular file (a device"},
             {"linked", "timed out: after 9 s\r\n"},
         }) {
        const std::string line =
            "\r\n" + host + std::string(",,not assessed,,not assessed,,not assessed,,").append(reason);
        EXPECT_NE(machines.find(line), std::string::npos) << line << "\nin:\n" << machines;
    }
    const std::string messages = err_.str();
    EXPECT_NE(messages.find(Path("reports/fifo.not-assessed.txt") + ": a note not read: not a regular file"),
              std::string::npos)
        << messages;
    EXPECT_NE(messages.find("1 reports read, 0 rejected, 1 machines;"), std::string::npos) << messages;
    EXPECT_NE(messages.find("; 5 of 6 hosts known not assessed (1 timed out, 4 other)"), std::string::npos) << messages;
}

// The lists' names are the program's: what else has one is named and left as it is, the other lists still written.
TEST_F(SummaryOnPosixTest, AListNameTakenByAnythingButARegularFileIsNotWrittenInto)
{
    Write("reports/a.html", EmbeddedGoldenAllPass);
    Write("reports/b.html", EmbeddedGoldenAllFail);
    Write("elsewhere.txt", "not a list");
    fs::create_directories(root_ / "lists" / "web-server-or-32-bit-application-server.txt");
    ASSERT_EQ(::mkfifo((root_ / "lists/client.txt").c_str(), 0600), 0);
    fs::create_symlink(root_ / "elsewhere.txt", root_ / "lists/64-bit-application-server.txt");
    fs::create_symlink("nowhere.txt", root_ / "lists/client--memory.txt");

    EXPECT_EQ(RunBounded({"--lists", Path("lists"), Path("reports")}), 1);
    const std::string messages = err_.str();
    for (const char* name : {"client.txt", "web-server-or-32-bit-application-server.txt",
                             "64-bit-application-server.txt", "client--memory.txt"}) {
        EXPECT_NE(messages.find("SystemAssessmentSummary: " + Path(fs::path("lists") / name) +
                                ": not a regular file (a FIFO, a device, a folder or a link); the list is not written"),
                  std::string::npos)
            << name << "\nin:\n"
            << messages;
    }
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(root_ / "lists/client.txt")));
    EXPECT_TRUE(fs::is_directory(fs::symlink_status(root_ / "lists/web-server-or-32-bit-application-server.txt")));
    EXPECT_TRUE(fs::is_symlink(root_ / "lists/64-bit-application-server.txt"));
    EXPECT_TRUE(fs::is_symlink(root_ / "lists/client--memory.txt"));
    EXPECT_EQ(Read("elsewhere.txt"), "not a list");
    EXPECT_EQ(Read("lists/client--cpu.txt"), "b\n") << "the other lists are written";
    EXPECT_NE(messages.find("2 reports read, 0 rejected"), std::string::npos) << messages;
}

TEST_F(SummaryOnPosixTest, NamesThatAreNoUtf8OrBreakLinesStayInTheirPlace)
{
    Write("reports/bad\xFF.html", EmbeddedGoldenAllPass);
    Write("reports/two\nlines.html", "not a report");
    EXPECT_EQ(RunBounded({Path("reports")}), 2);
    const std::string csv = out_.str();
    EXPECT_NE(csv.find(Path("reports") + "/bad\xEF\xBF\xBD.html"), std::string::npos);
    EXPECT_EQ(csv.find('\xFF'), std::string::npos);
    const std::string messages = err_.str();
    EXPECT_NE(messages.find(Path("reports") + "/two\\nlines.html: not a System Assessment report"), std::string::npos)
        << messages;
    EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 2) << "one line each: the file, the closing line";
}

// An output's name is the bytes it was given, UTF-8 or not: it is written
// under that name, beside nothing else.
TEST_F(SummaryOnPosixTest, AnOutputNamedInNoUtf8IsWrittenUnderThatName)
{
    Write("reports/a.html", EmbeddedGoldenAllPass);
    const std::string csv = (root_ / "out\xFF.csv").native();
    const std::string lists = (root_ / "lists\xFE").native();
    EXPECT_EQ(Run({"--csv", csv, "--lists", lists, Path("reports")}), 0) << err_.str();
    EXPECT_NE(Read("out\xFF.csv").find("SRV-Z\xC3\x9CRICH"), std::string::npos);
    EXPECT_EQ(Read("lists\xFE/client.txt"), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(root_), fs::directory_iterator()), 3) << "nothing else beside";
}

TEST_F(SummaryOnPosixTest, DevicesAreWrittenIntoAndLinksFollowed)
{
    Write("reports/a.html", EmbeddedGoldenAllPass);
    if (!MakeDevice("null", 3)) {
        GTEST_SKIP() << "no device can be made here (mknod needs root)";
    }
    Write("target.csv", "earlier");
    fs::create_symlink("target.csv", root_ / "link.csv");

    EXPECT_EQ(Run({"--csv", Path("null"), Path("reports")}), 0) << err_.str();
    EXPECT_TRUE(fs::is_character_file(root_ / "null"));
    EXPECT_EQ(Run({"--csv", Path("link.csv"), "--html", Path("null"), Path("reports")}), 0) << err_.str();
    EXPECT_TRUE(fs::is_symlink(root_ / "link.csv"));
    EXPECT_NE(Read("target.csv").find("SRV-Z\xC3\x9CRICH"), std::string::npos);
    EXPECT_TRUE(fs::is_character_file(root_ / "null"));
    EXPECT_EQ(Names(""), (std::vector<std::string>{"link.csv", "null", "reports", "target.csv"}));
}

} // namespace
} // namespace Talvane::Nimlo
