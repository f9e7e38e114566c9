#include "app/RunAssessment.h"

#include <map>
#include <new>
#include <stdexcept>

#include <gtest/gtest.h>

#include "fakes/FakeRunServices.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

using Testing::FakeRunServices;

std::size_t Find(const std::string& text, const std::string& piece)
{
    return text.find(piece);
}

TEST(RunAssessmentTest, WritesThePageClosesItThenOpensIt)
{
    FakeRunServices services(Testing::AllPassProfile());
    EXPECT_EQ(RunAssessment(services), ExitStatus::ReportOpened);

    EXPECT_EQ(services.files.log, (std::vector<std::string>{"number", "create", "write", "flush", "close", "rename"}));
    ASSERT_EQ(services.files.files.size(), 1u);
    EXPECT_EQ(services.files.files.begin()->first, Testing::NameOf(u"System Assessment Results.html"));
    ASSERT_EQ(services.desktop.opened, (std::vector<std::u16string>{u"System Assessment Results.html"}));
    EXPECT_EQ(services.desktop.openFilesAtOpen, 0u);
    EXPECT_TRUE(services.desktop.messages.empty());

    const std::string& page = services.files.files.at(Testing::NameOf(u"System Assessment Results.html"));
    EXPECT_EQ(services.desktop.contentAtOpen, page);
    EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_EQ(page.substr(page.size() - 7), "</html>");
}

TEST(RunAssessmentTest, SectionsInRoleOrder)
{
    FakeRunServices services(Testing::EmptyProfile());
    ASSERT_EQ(RunAssessment(services), ExitStatus::ReportOpened);
    const std::string& page = services.files.files.at(Testing::NameOf(u"System Assessment Results.html"));
    const std::size_t client = Find(page, ">Client: <span");
    const std::size_t web = Find(page, ">Web Server or 32-bit Application Server: <span");
    const std::size_t app = Find(page, ">64-bit Application Server: <span");
    ASSERT_NE(client, std::string::npos);
    EXPECT_LT(client, web);
    EXPECT_LT(web, app);
    EXPECT_NE(app, std::string::npos);
}

struct WriteFailure {
    const char* name;
    bool Testing::FakeFileSystem::*failure;
};

class RunAssessmentWriteFailureTest : public testing::TestWithParam<WriteFailure> {};

// Whichever step fails, the earlier report stays exactly as it was, the new
// file is gone before the user is told, and nothing is opened.
TEST_P(RunAssessmentWriteFailureTest, OneMessageBoxEarlierReportKeptNothingLeft)
{
    FakeRunServices services(Testing::AllPassProfile());
    const std::map<FilePath, std::string> before{{Testing::NameOf(ReportFileName), "<html>the earlier report</html>"}};
    services.files.files = before;
    services.files.*GetParam().failure = true;

    EXPECT_EQ(RunAssessment(services), ExitStatus::WriteFailed);

    ASSERT_EQ(services.desktop.messages.size(), 1u);
    EXPECT_EQ(services.desktop.messages[0].text,
              u"Failed to write assessment results to disk. Please run this application as administrator");
    EXPECT_EQ(services.desktop.messages[0].caption, u"Assessmnet Write Failure");
    EXPECT_EQ(services.desktop.openFilesAtMessage, 0u);
    EXPECT_EQ(services.desktop.filesAtMessage, before);
    EXPECT_EQ(services.files.files, before);
    EXPECT_TRUE(services.desktop.opened.empty());
    for (const auto& [file, count] : services.files.closes) {
        EXPECT_EQ(count, 1) << static_cast<std::uintptr_t>(file);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RunAssessmentWriteFailureTest,
                         testing::Values(WriteFailure{"NoUnforeseeableNumber", &Testing::FakeFileSystem::noNumbers},
                                         WriteFailure{"CannotCreate", &Testing::FakeFileSystem::refuseCreate},
                                         WriteFailure{"EveryNameTaken", &Testing::FakeFileSystem::takeEveryName},
                                         WriteFailure{"WriteFails", &Testing::FakeFileSystem::failWrite},
                                         WriteFailure{"ShortWrite", &Testing::FakeFileSystem::shortWrite},
                                         WriteFailure{"FlushFails", &Testing::FakeFileSystem::failFlush},
                                         WriteFailure{"RenameFails", &Testing::FakeFileSystem::failRename}),
                         [](const testing::TestParamInfo<WriteFailure>& p) { return p.param.name; });

TEST(RunAssessmentTest, ErrorBeforeWritingIsReportedAndNothingWritten)
{
    struct Case {
        std::function<void()> raise;
        std::u16string reason;
    };
    const Case cases[] = {
        {[] { throw std::invalid_argument("invalid stoull argument"); }, u"invalid stoull argument"},
        {[] { throw std::runtime_error("WMI could not be reached"); }, u"WMI could not be reached"},
        {[] { throw std::bad_alloc(); }, u"std::bad_alloc"},
        {[] { throw 42; }, u"unknown error"},
    };
    for (const Case& c : cases) {
        FakeRunServices services(Testing::AllPassProfile());
        services.collectError = c.raise;
        EXPECT_EQ(RunAssessment(services), ExitStatus::NotAssessed);
        ASSERT_EQ(services.desktop.messages.size(), 1u);
        EXPECT_EQ(services.desktop.messages[0].text, u"The system assessment could not be completed: " + c.reason);
        EXPECT_EQ(services.desktop.messages[0].caption, u"System Assessment");
        EXPECT_TRUE(services.files.log.empty());
        EXPECT_TRUE(services.desktop.opened.empty());
    }
}

// Run unattended (a service, a scheduled task, a remote shell) nobody could
// dismiss a box, and nobody would see a viewer: the failures end at once with
// their exit status and put the box's text on standard error instead, and a
// report is written but not opened.
TEST(RunAssessmentTest, WhereNobodyCanSeeNoBoxNoViewerAndTheReasonOnStandardError)
{
    struct Case {
        const char* name;
        bool refuseCreate;
        bool failCollect;
        int status;
        const char* line;
    };
    const Case cases[] = {
        {"written", false, false, 0, nullptr},
        {"write failure", true, false, -1,
         "Assessmnet Write Failure: Failed to write assessment results to disk. Please run this application as "
         "administrator (Win32 error 5)\r\n"},
        {"not assessed", false, true, 1,
         "System Assessment: The system assessment could not be completed: WMI could not be reached\r\n"},
    };
    for (const Case& c : cases) {
        for (const bool visible : {true, false}) {
            FakeRunServices services(Testing::AllPassProfile());
            services.desktop.visible = visible;
            services.files.refuseCreate = c.refuseCreate;
            if (c.failCollect) {
                services.collectError = [] { throw std::runtime_error("WMI could not be reached"); };
            }
            EXPECT_EQ(ExitCode(RunAssessment(services)), c.status) << c.name;
            const bool failed = c.line != nullptr;
            EXPECT_EQ(services.desktop.messages.size(), visible && failed ? 1u : 0u)
                << c.name << ", visible " << visible;
            EXPECT_EQ(services.desktop.opened.size(), visible && !failed ? 1u : 0u)
                << c.name << ", visible " << visible;
            const std::vector<std::string> lines =
                !visible && failed ? std::vector<std::string>{c.line} : std::vector<std::string>{};
            EXPECT_EQ(services.desktop.errorLines, lines) << c.name << ", visible " << visible;
            EXPECT_EQ(services.files.files.count(Testing::NameOf(ReportFileName)), failed ? 0u : 1u) << c.name;
        }
    }
}

// Whatever the end, and whether or not a window can be seen, the tool that
// started the program gets one line on standard output, after everything else
// the run says and before a stuck run is ended.
TEST(RunAssessmentTest, EveryEndHandsBackOneLineLast)
{
    struct Case {
        const char* name;
        void (*setUp)(FakeRunServices&);
        std::vector<std::string> said; // where nobody can see a window
    };
    const Case cases[] = {
        {"written", [](FakeRunServices&) {}, {"output line"}},
        {"write failure", [](FakeRunServices& s) { s.files.refuseCreate = true; }, {"error line", "output line"}},
        {"not assessed",
         [](FakeRunServices& s) { s.collectError = [] { throw std::runtime_error("no WMI"); }; },
         {"error line", "output line"}},
        {"abandoned", [](FakeRunServices& s) { s.hangIn = "Win32_Processor"; }, {"error line", "output line", "ended"}},
    };
    for (const Case& c : cases) {
        for (const bool visible : {true, false}) {
            FakeRunServices services(Testing::AllPassProfile());
            services.desktop.visible = visible;
            c.setUp(services);
            RunAssessment(services, 300);
            std::vector<std::string> said = c.said;
            if (visible && said.front() == "error line") {
                said.front() = "message";
            }
            EXPECT_EQ(services.desktop.said, said) << c.name << ", visible " << visible;
            ASSERT_EQ(services.desktop.outputLines.size(), 1u) << c.name;
            EXPECT_EQ(services.desktop.outputLines[0].substr(0, 2), "{\"") << c.name;
        }
    }
}

// The collection runs on a thread of its own within one deadline; one that
// does not end by then is abandoned: nothing assessed, the reason names the
// step, and the process is ended at once.
TEST(RunAssessmentTest, ACollectionThatNeverEndsIsAbandonedAtTheDeadline)
{
    for (const bool visible : {true, false}) {
        FakeRunServices services(Testing::AllPassProfile());
        services.desktop.visible = visible;
        services.files.files[Testing::NameOf(ReportFileName)] = "earlier";
        services.hangIn = "Win32_LogicalDisk";
        services.hangPhase = CollectionProgress::Phase::AwaitingResult;

        EXPECT_EQ(RunAssessment(services, 300), ExitStatus::NotAssessed);

        EXPECT_EQ(services.worker.waits, std::vector<std::uint32_t>{300});
        EXPECT_EQ(services.endedAbandoned, std::vector<int>{1});
        const std::u16string reason = u"The system assessment could not be completed: Win32_LogicalDisk did not answer "
                                      u"within 300 ms (stuck waiting for its results)";
        if (visible) {
            ASSERT_EQ(services.desktop.messages.size(), 1u);
            EXPECT_EQ(services.desktop.messages[0].text, reason);
            EXPECT_TRUE(services.desktop.errorLines.empty());
        } else {
            EXPECT_TRUE(services.desktop.messages.empty());
            EXPECT_EQ(services.desktop.errorLines,
                      std::vector<std::string>{"System Assessment: " + ToUtf8(reason) + "\r\n"});
        }
        EXPECT_EQ(services.files.files,
                  (std::map<FilePath, std::string>{{Testing::NameOf(ReportFileName), "earlier"}}));
        EXPECT_TRUE(services.files.log.empty());
        EXPECT_TRUE(services.desktop.opened.empty());
    }
}

TEST(RunAssessmentTest, TheCollectionHasTwoMinutesFromItsStart)
{
    FakeRunServices services(Testing::AllPassProfile());
    ASSERT_EQ(RunAssessment(services), ExitStatus::ReportOpened);
    ASSERT_TRUE(services.collectDeadline.has_value());
    EXPECT_EQ(services.collectDeadline->start, services.clock.now);
    EXPECT_EQ(services.collectDeadline->limit, 120000u);
    EXPECT_TRUE(services.endedAbandoned.empty());
}

// A wait the collection gave up itself at the deadline ends the run like any
// failed collection: its thread has ended, so nothing needs ending at once.
TEST(RunAssessmentTest, AWaitGivenUpAtTheDeadlineNamesItsStep)
{
    FakeRunServices services(Testing::AllPassProfile());
    services.desktop.visible = false;
    services.collectError = [] { throw DeadlinePassed(); };
    EXPECT_EQ(RunAssessment(services), ExitStatus::NotAssessed);
    EXPECT_EQ(services.desktop.errorLines,
              std::vector<std::string>{"System Assessment: The system assessment could not be completed: Starting the "
                                       "collection did not answer within 120 s\r\n"});
    EXPECT_TRUE(services.endedAbandoned.empty());
}

// A report another program holds open for longer than the retries last.
TEST(RunAssessmentTest, AReportHeldOpenThroughoutFailsAfterTheRetriesAndKeepsTheEarlierOne)
{
    FakeRunServices services(Testing::AllPassProfile());
    services.files.files[Testing::NameOf(ReportFileName)] = "earlier";
    services.files.busyRenames = -1;
    const std::uint32_t start = services.clock.now;
    EXPECT_EQ(RunAssessment(services), ExitStatus::WriteFailed);
    EXPECT_EQ(services.clock.now - start, 5000u);
    EXPECT_EQ(services.files.files, (std::map<FilePath, std::string>{{Testing::NameOf(ReportFileName), "earlier"}}));
    EXPECT_EQ(services.desktop.messages.size(), 1u);
}

TEST(RunAssessmentTest, ReasonThatCannotBePutIntoWordsGivesTheFixedText)
{
    // Memory that runs out while the reason is put into words must not end
    // the program in std::terminate.
    FakeRunServices services(Testing::AllPassProfile());
    services.collectError = [] { throw std::bad_alloc(); };
    services.desktop.failNextMessage = true;
    EXPECT_EQ(RunAssessment(services), ExitStatus::NotAssessed);
    ASSERT_EQ(services.desktop.messages.size(), 1u);
    EXPECT_EQ(services.desktop.messages[0].text, u"The system assessment could not be completed.");
    EXPECT_EQ(services.desktop.messages[0].caption, u"System Assessment");
}

TEST(RunAssessmentTest, WriteFailureBoxThatFailsStillEndsWithItsStatus)
{
    FakeRunServices services(Testing::AllPassProfile());
    services.files.refuseCreate = true;
    services.desktop.failNextMessage = true;
    EXPECT_EQ(RunAssessment(services), ExitStatus::WriteFailed);
    EXPECT_TRUE(services.desktop.opened.empty());
}

} // namespace
} // namespace Talvane::Nimlo
