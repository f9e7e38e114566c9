#include "requirements/RuntimeCheck.h"

#include "requirements/RoleLabels.h"
#include "text/NumberParse.h"

namespace Talvane::Nimlo {
namespace {

constexpr std::uint32_t MinimumDotNetRelease = 393295; // 4.6
constexpr std::int64_t MinimumBrowserMajor = 11;

} // namespace

RequirementResult CheckDotNetRuntime(const DotNetInfo& dotNet)
{
    const bool passed = dotNet.release >= MinimumDotNetRelease;
    std::u16string message = u".Net 4.6 runtime is not installed.";
    if (passed) {
        message = u".Net 4.6+ runtime or higher is installed.";
    }
    return {DotNetLabel, passed, u".Net 4.6.0+", u".Net " + dotNet.Version(), message};
}

std::uint64_t BrowserMajorVersion(const std::u16string& versionText)
{
    const std::u16string major = versionText.substr(0, versionText.find(u'.'));
    return TryParseUnsigned64(major).value_or(0);
}

RequirementResult CheckBrowser(const std::u16string& versionText)
{
    const auto major = static_cast<std::int64_t>(BrowserMajorVersion(versionText));
    const bool passed = major >= MinimumBrowserMajor;
    std::u16string message = u"Microsoft Internet Explorer 11 is not installed.";
    if (passed) {
        message = u"Microsoft Internet Explorer 11 or higher is installed.";
    }
    return {BrowserLabel, passed, u"Microsoft Internet Explorer 11+", u"Microsoft Internet Explorer " + versionText,
            message};
}

} // namespace Talvane::Nimlo
