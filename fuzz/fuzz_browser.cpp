// Fuzz target for the .NET and browser rows: the browser version text and
// the .NET version and release as the registry hands them over, judged by
// CheckBrowser and CheckDotNetRuntime, then rendered as one role and put into
// the real report template.
//
// Input: the .NET release (4 bytes, from the end), a choice of how the browser
// text is given (raw UTF-16 units or the escaped form of Widen), the .NET
// version text, the computer name, then the browser text.

#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "report/ReportTemplate.h"
#include "report/RoleSection.h"
#include "requirements/RuntimeCheck.h"
#include "text/Utf8.h"

extern const std::string_view EmbeddedReportTemplate;

using namespace Talvane::Nimlo;
using namespace Talvane::Nimlo::Fuzzing;

namespace {

// The major version as the browser row reads it: the number before the first
// ".", with the unsigned 64-bit conversion; a text it cannot convert counts
// as 0, and the number is judged as a signed value.
std::int64_t ReferenceBrowserMajor(const std::u16string& text)
{
    const ParseOutcome outcome = ReferenceParse(text.substr(0, text.find(u'.')), 64);
    return outcome.kind == ParseOutcome::Kind::Value ? static_cast<std::int64_t>(outcome.value) : 0;
}

std::u16string RawUnits(std::string_view bytes)
{
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    return text;
}

std::size_t Count(std::string_view text, std::string_view piece)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string_view::npos; at = text.find(piece, at + piece.size())) {
        ++count;
    }
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const std::uint32_t release = data.ConsumeIntegral<std::uint32_t>();
    const bool raw = data.ConsumeBool();
    const std::u16string dotNetVersion = ConsumeText(data, 24);
    const std::u16string computerName = ConsumeText(data, 24);
    const std::string rest = data.ConsumeRemainingBytesAsString();
    const std::u16string browserText = raw ? RawUnits(rest) : Widen(rest);
    const std::string shown =
        "browser " + Show(browserText) + ", .NET " + Show(dotNetVersion) + " release " + std::to_string(release);

    // The browser row.
    const std::uint64_t major = BrowserMajorVersion(browserText);
    const std::int64_t expectedMajor = ReferenceBrowserMajor(browserText);
    FUZZ_CHECK(static_cast<std::int64_t>(major) == expectedMajor, shown + ": major " + std::to_string(major));

    const RequirementResult browser = CheckBrowser(browserText);
    const bool browserPasses = expectedMajor >= 11;
    FUZZ_CHECK(browser.passed == browserPasses, shown);
    FUZZ_CHECK(browser.Hardware() == u"Browser", shown);
    FUZZ_CHECK(browser.Requirements() == u"Microsoft Internet Explorer 11+", shown);
    FUZZ_CHECK(browser.System() == u"Microsoft Internet Explorer " + browserText, shown);
    FUZZ_CHECK(browser.Message() == (browserPasses ? u"Microsoft Internet Explorer 11 or higher is installed."
                                                   : u"Microsoft Internet Explorer 11 is not installed."),
               shown);

    // The .NET row: the release alone decides.
    const RequirementResult dotNet = CheckDotNetRuntime(DotNetInfo{dotNetVersion, release});
    const bool dotNetPasses = release > 393294u;
    FUZZ_CHECK(dotNet.passed == dotNetPasses, shown);
    FUZZ_CHECK(dotNet.Hardware() == u".Net Runtime", shown);
    FUZZ_CHECK(dotNet.Requirements() == u".Net 4.6.0+", shown);
    FUZZ_CHECK(dotNet.System() == u".Net " + dotNetVersion, shown);
    FUZZ_CHECK(dotNet.Message() == (dotNetPasses ? u".Net 4.6+ runtime or higher is installed."
                                                 : u".Net 4.6 runtime is not installed."),
               shown);

    // Both rows rendered and put into the page.
    const std::string section = RenderRole(RoleAssessment(u"Client", {dotNet, browser}));
    FUZZ_CHECK(IsValidUtf8(section), shown);
    FUZZ_CHECK(section.back() == '\n', shown);
    const bool bothPass = browserPasses && dotNetPasses;
    FUZZ_CHECK(section.rfind(std::string("<div class='container'>\n<h2 class='header-text table-header'>Client: ") +
                                 (bothPass ? "<span class='pass'>" : "<span class='fail'>"),
                             0) == 0,
               shown + ": " + Show(section));
    // The texts can hold anything, so the status cells are counted only when
    // they cannot be imitated: every counted cell starts with a "<" that no
    // text holds.
    if (browserText.find(u'<') == std::u16string::npos && dotNetVersion.find(u'<') == std::u16string::npos) {
        const std::size_t passes = (browserPasses ? 1u : 0u) + (dotNetPasses ? 1u : 0u);
        FUZZ_CHECK(Count(section, "<td class='text pass' width='100px'>PASS</td>\n") == passes, shown);
        FUZZ_CHECK(Count(section, "<td class='text fail' width='100px'>FAIL</td>\n") == 2 - passes, shown);
    }

    const std::string page = FillReport(std::string(EmbeddedReportTemplate), section, computerName);
    FUZZ_CHECK(IsValidUtf8(page), shown);
    FUZZ_CHECK(page.size() >= EmbeddedReportTemplate.size(), shown);
    return 0;
}
