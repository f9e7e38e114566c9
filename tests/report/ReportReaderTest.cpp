#include "report/ReportReader.h"

#include <string>

#include <gtest/gtest.h>

#include "fakes/Profiles.h"
#include "fakes/RandomProfiles.h"
#include "report/CellFormat.h"
#include "report/ReportBody.h"
#include "report/ReportTemplate.h"
#include "requirements/RoleBuilders.h"
#include "text/HtmlText.h"
#include "text/Utf8.h"

namespace Talvane::Nimlo {
namespace {

const std::string Template(EmbeddedReportTemplate);

ReportReader MakeReader()
{
    Result<ReportReader> made = ReportReader::ForTemplate(Template);
    EXPECT_TRUE(made) << made.error();
    return *std::move(made);
}

ReportContent ReadOrFail(const ReportReader& reader, std::string_view page)
{
    const Result<ReportContent> reading = reader.Read(page);
    EXPECT_TRUE(reading) << reading.error();
    return reading ? *reading : ReportContent{};
}

std::string PageOf(const SystemProfile& profile)
{
    return FillReport(Template, RenderReportBody(profile), profile.ComputerName());
}

// What the reader must give for one cell text: a "~" list as its items, any
// other text as one item, each as a browser shows it (entities decoded), with
// the check boxes as the filled page has them.
std::vector<ReportItem> ExpectedItems(const std::u16string& text)
{
    const std::vector<std::u16string> pieces =
        text.find(u'~') == std::u16string::npos ? std::vector<std::u16string>{text} : SplitItems(text);
    std::vector<ReportItem> items;
    for (const std::u16string& piece : pieces) {
        const std::string utf8 = DecodeEntities(ToUtf8(piece));
        if (utf8.starts_with("{{CHECKBOX_ON}}")) {
            items.push_back({utf8.substr(15), true});
        } else if (utf8.starts_with("{{CHECKBOX_OFF}}")) {
            items.push_back({utf8.substr(16), false});
        } else {
            items.push_back({utf8, std::nullopt});
        }
    }
    return items;
}

ReportContent ExpectedContent(const SystemProfile& profile)
{
    ReportContent content{DecodeEntities(ToUtf8(profile.ComputerName())), {}};
    for (const RoleAssessment& role :
         {AssessClientRole(profile), AssessWebServerRole(profile), AssessAppServer64Role(profile)}) {
        ReportRole read{ToUtf8(role.Title()), true, {}};
        for (const RequirementResult& row : role.Results()) {
            read.meets = read.meets && row.passed;
            read.rows.push_back({ToUtf8(row.Hardware()), row.passed, ExpectedItems(row.Requirements()),
                                 ExpectedItems(row.System()), ExpectedItems(row.Message())});
        }
        content.roles.push_back(read);
    }
    return content;
}

TEST(ReportReaderTest, RandomMachinesComeBackAsTheyWereRendered)
{
    const ReportReader reader = MakeReader();
    Testing::RandomProfiles profiles(20261208);
    for (int i = 0; i < 400; ++i) {
        const SystemProfile profile = profiles.Next();
        const std::string page = PageOf(profile);
        const ReportContent read = ReadOrFail(reader, page);
        ASSERT_EQ(read, ExpectedContent(profile)) << "machine " << i << ":\n" << page;
    }
}

TEST(ReportReaderTest, GoldenPagesReadBackToKnownValues)
{
    const ReportReader reader = MakeReader();

    const ReportContent pass = ReadOrFail(reader, EmbeddedGoldenAllPass);
    EXPECT_EQ(pass.computerName, "SRV-Z\xC3\x9CRICH");
    ASSERT_EQ(pass.roles.size(), 3u);
    EXPECT_EQ(pass.roles[0].title, "Client");
    EXPECT_EQ(pass.roles[1].title, "Web Server or 32-bit Application Server");
    EXPECT_EQ(pass.roles[2].title, "64-bit Application Server");
    EXPECT_EQ(pass.roles[0].rows.size(), 8u);
    EXPECT_EQ(pass.roles[1].rows.size(), 7u);
    EXPECT_EQ(pass.roles[2].rows.size(), 7u);
    for (const ReportRole& role : pass.roles) {
        EXPECT_TRUE(role.meets) << role.title;
    }
    const ReportRow& runtimes = pass.roles[0].rows.back();
    EXPECT_EQ(runtimes.hardware, "Required C++ Runtimes *");
    ASSERT_EQ(runtimes.system.size(), 8u);
    EXPECT_EQ(runtimes.system[0], (ReportItem{"Microsoft Visual C++ 2008 Redistributable x86", true}));
    EXPECT_EQ(runtimes.message, (std::vector<ReportItem>{{"All required runtimes were found on this system.", {}}}));

    const ReportContent fail = ReadOrFail(reader, EmbeddedGoldenAllFail);
    EXPECT_EQ(fail.computerName, "WS-\xC3\x85SA");
    for (const ReportRole& role : fail.roles) {
        EXPECT_FALSE(role.meets) << role.title;
        for (const ReportRow& row : role.rows) {
            EXPECT_FALSE(row.passed) << role.title << ": " << row.hardware;
        }
    }
    EXPECT_EQ(fail.roles[2].rows.back().system[7],
              (ReportItem{"Microsoft Visual C++ 2015 Redistributable x64", false}));

    const ReportContent empty = ReadOrFail(reader, EmbeddedGoldenEmpty);
    EXPECT_EQ(empty.computerName, "");
    EXPECT_EQ(empty, ExpectedContent(Testing::EmptyProfile()));
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(ReportReaderTest, WhatIsNotAReportIsRejectedWithTheFirstMismatch)
{
    const ReportReader reader = MakeReader();
    const std::string good(EmbeddedGoldenAllFail);
    const std::size_t third = good.rfind("<div class='container'>");
    const std::size_t bodyEnd = good.find("\r\n    </div>", third);
    const std::string section = good.substr(third, bodyEnd - third);

    struct Case {
        const char* name;
        std::string page;
        const char* problem;
    };
    const Case cases[] = {
        {"another HTML page", "<!DOCTYPE html>\n<html><body>Hello</body></html>",
         "line 2, column 7: expected the head of a System Assessment report \"\\n<head>"},
        {"an empty file", "", "line 1, column 1: expected the head of a System Assessment report"},
        {"cut short in the body", good.substr(0, good.size() / 2), "(cut short?)"},
        {"cut short in the header", good.substr(0, good.find("WS-") + 2), "the page header"},
        {"a fourth section", good.substr(0, bodyEnd) + section + good.substr(bodyEnd), "a fourth role section"},
        {"a role missing", Replaced(good, section, ""), "expected a role section"},
        {"roles out of order", Replaced(good, ">64-bit Application Server: <", ">Client: <"),
         R"(is "Client", not "64-bit)"},
        {"a verdict that its rows contradict",
         Replaced(good, "<span class='fail'>This system does not meet the requirements.",
                  "<span class='pass'>This system meets the requirements."),
         "does not agree with its rows"},
        {"a status whose label contradicts its class",
         Replaced(good, "<td class='text fail' width='100px'>FAIL", "<td class='text fail' width='100px'>PASS"),
         "the status matching its class"},
        {"a row without its message cell", Replaced(good, "<td class='text'>", "<td>"), "the message cell"},
        {"text after the last section",
         Replaced(good, "\r\n    </div>\r\n\r\n    <p", "<p>\r\n    </div>\r\n\r\n    <p"),
         "expected the end of the report after its third role section"},
    };
    for (const Case& c : cases) {
        const Result<ReportContent> reading = reader.Read(c.page);
        ASSERT_FALSE(reading) << c.name;
        EXPECT_NE(reading.error().find(c.problem), std::string::npos) << c.name << ": " << reading.error();
    }
}

// Found by fuzz_reader: a cell holding only the start of a block came back
// with no item at all.
TEST(ReportReaderTest, ACellThatOnlyLooksLikeAListIsOneItem)
{
    const ReportReader reader = MakeReader();
    for (const std::string cell : {"<div class=list-div>", "<div class=list-div>a", "<div class=list-div>a</div>\nb"}) {
        const std::string page = Replaced(std::string(EmbeddedGoldenAllPass),
                                          "<td class='text' width='400px'><div class=list-div>Minimum: 1.00 GHz</div>\n"
                                          "<div class=list-div>Recommended: 2.00 GHz</div>\n",
                                          "<td class='text' width='400px'>" + cell);
        const ReportContent content = ReadOrFail(reader, page);
        EXPECT_EQ(content.roles[0].rows[1].requirements, (std::vector<ReportItem>{{cell, std::nullopt}})) << cell;
    }
}

TEST(ReportReaderTest, EveryPageCutShortIsRejected)
{
    const ReportReader reader = MakeReader();
    const std::string good(EmbeddedGoldenAllPass);
    for (std::size_t length = 0; length < good.size(); ++length) {
        ASSERT_FALSE(reader.Read(std::string_view(good).substr(0, length))) << length;
    }
    EXPECT_TRUE(reader.Read(good));
}

// Ways a page the program wrote can reach the summary without a change of
// meaning: an editor, a copy tool or a version-control checkout made them.
std::string AllLf(const std::string& page)
{
    std::string lf;
    for (std::size_t i = 0; i < page.size(); ++i) {
        if (!(page[i] == '\r' && i + 1 < page.size() && page[i + 1] == '\n')) {
            lf += page[i];
        }
    }
    return lf;
}
std::string AllCrLf(const std::string& page)
{
    std::string crlf;
    for (const char c : AllLf(page)) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    return crlf;
}
std::string WithoutCharsetLine(const std::string& page)
{
    return Replaced(page, "    <meta charset=\"utf-8\">\r\n", "");
}

struct Variant {
    const char* name;
    std::string (*make)(const std::string&);
};
const Variant Variants[] = {
    {"LF line ends", AllLf},
    {"CR LF line ends everywhere", AllCrLf},
    {"a byte order mark", [](const std::string& page) { return "\xEF\xBB\xBF" + page; }},
    {"no charset line", WithoutCharsetLine},
    {"a line end after </html>", [](const std::string& page) { return page + "\r\n"; }},
    {"white space after </html>", [](const std::string& page) { return page + "\n\r\n \t\n"; }},
    {"all of them", [](const std::string& page) { return "\xEF\xBB\xBF" + AllLf(WithoutCharsetLine(page)) + "\n\n"; }},
    {"mixed line ends",
     [](const std::string& page) {
         // Every other line ends with CR LF, the others with LF.
         const std::string lf = AllLf(page);
         std::string mixed;
         bool crlf = false;
         for (const char c : lf) {
             if (c == '\n' && (crlf = !crlf)) {
                 mixed += '\r';
             }
             mixed += c;
         }
         return mixed;
     }},
};

TEST(ReportReaderTest, WhatCarriesNoMeaningReadsTheSame)
{
    const ReportReader reader = MakeReader();
    for (const std::string_view golden : {EmbeddedGoldenAllPass, EmbeddedGoldenAllFail, EmbeddedGoldenEmpty}) {
        const ReportContent original = ReadOrFail(reader, golden);
        for (const Variant& variant : Variants) {
            const std::string page = variant.make(std::string(golden));
            ASSERT_NE(page, golden) << variant.name;
            EXPECT_EQ(ReadOrFail(reader, page), original) << variant.name;
        }
    }
}

TEST(ReportReaderTest, RandomMachinesReadTheSameInEveryVariant)
{
    const ReportReader reader = MakeReader();
    Testing::RandomProfiles profiles(20261209);
    for (int i = 0; i < 100; ++i) {
        const SystemProfile profile = profiles.Next();
        const std::string page = PageOf(profile);
        const ReportContent expected = ExpectedContent(profile);
        for (const Variant& variant : Variants) {
            ASSERT_EQ(ReadOrFail(reader, variant.make(page)), expected) << "machine " << i << ", " << variant.name;
        }
    }
}

// A page the program writes has exactly its roles' rows, under their labels.
TEST(ReportReaderTest, RowsAreExactlyTheRolesRows)
{
    const ReportReader reader = MakeReader();
    const std::string good(EmbeddedGoldenAllFail);
    const std::size_t firstRow = good.find("<tr class='bottom-border'>");
    const std::size_t secondRow = good.find("<tr class='bottom-border'>", firstRow + 1);
    const std::string row = good.substr(firstRow, secondRow - firstRow);

    std::string flood = good;
    std::string extra;
    for (int i = 0; i < 100000; ++i) {
        extra += row;
    }
    flood.insert(secondRow, extra);

    struct Case {
        const char* name;
        std::string page;
        const char* problem;
    };
    const Case cases[] = {
        {"a row more", good.substr(0, secondRow) + row + good.substr(secondRow),
         R"(row 2 of 8 of "Client" is "Operating System", not "CPU")"},
        {"100,000 rows more", flood, R"(row 2 of 8 of "Client" is "Operating System", not "CPU")"},
        {"a row less", good.substr(0, firstRow) + good.substr(secondRow),
         R"(row 1 of 8 of "Client" is "CPU", not "Operating System")"},
        {"a label changed", Replaced(good, "width='150px'>CPU</td>", "width='150px'>GPU</td>"),
         R"(row 2 of 8 of "Client" is "GPU", not "CPU")"},
        {"the last row with a border", Replaced(good, "<tr class=''>", "<tr class='bottom-border'>"),
         R"(the end of the class of row 8 of 8 of "Client")"},
    };
    for (const Case& c : cases) {
        const Result<ReportContent> reading = reader.Read(c.page);
        ASSERT_FALSE(reading) << c.name;
        EXPECT_NE(reading.error().find(c.problem), std::string::npos) << c.name << ": " << reading.error();
    }
}

// The message names the line and column of the first difference in the page
// as it was given, and shows what does not print as what it is.
TEST(ReportReaderTest, TheFirstDifferenceIsNamedWhereItIs)
{
    const ReportReader reader = MakeReader();
    const std::string good(EmbeddedGoldenAllPass);
    struct Case {
        const char* name;
        std::string page;
        const char* problem;
    };
    const Case cases[] = {
        {"the title changed", Replaced(good, "<title>System", "<title>Systen"),
         "line 5, column 17: expected the head of a System Assessment report \"m Assessment Results"},
        {"the same on a page without CR", AllLf(Replaced(good, "<title>System", "<title>Systen")),
         "line 5, column 17:"},
        {"a byte order mark and a change on line 1", "\xEF\xBB\xBF<!DOCTYPE htm>" + good.substr(15),
         "line 1, column 15:"}, // the mark is the first character
        {"bytes after the end", good + "<script>x</script>", "the page goes on after its end: \"<script>x</script>\""},
        {"a byte order mark inside", Replaced(good, "<html>", "\xEF\xBB\xBF<html>"), R"(found "\uFEFF<html>)"},
        {"a tab and a CR", Replaced(good, "<html>\r\n", "<html>\t\r\r\n"), R"(found "\t\r\n<head>)"},
        {"a stray byte", Replaced(good, "<html>", "\xFF<html>"), R"(found "\xFF<html>)"},
    };
    for (const Case& c : cases) {
        const Result<ReportContent> reading = reader.Read(c.page);
        ASSERT_FALSE(reading) << c.name;
        EXPECT_NE(reading.error().find(c.problem), std::string::npos) << c.name << ": " << reading.error();
    }
}

TEST(ReportReaderTest, NoReaderFromATemplateWithoutItsPlaces)
{
    const Result<ReportReader> made =
        ReportReader::ForTemplate("<html>{{REPORT_BODY}} before {{COMPUTER_NAME}}</html>");
    ASSERT_FALSE(made);
    EXPECT_NE(made.error().find("no place for the computer name"), std::string::npos);
    EXPECT_FALSE(ReportReader::ForTemplate(""));
}

} // namespace
} // namespace Talvane::Nimlo
