#include "requirements/VideoMemoryCheck.h"

#include <cstdint>

#include "requirements/RoleLabels.h"
#include "text/NumberFormat.h"

namespace Talvane::Nimlo {
namespace {

constexpr std::int64_t MinimumMB = 128;
constexpr std::int64_t RecommendedMB = 256;

} // namespace

RequirementResult CheckVideoMemory(const VideoMemoryInfo& video)
{
    const std::int64_t ram = video.adapterRamMB;
    const bool passed = ram >= MinimumMB;

    std::u16string message;
    if (ram >= RecommendedMB) {
        message = u"This system meets the recommended " + FormatInteger(RecommendedMB) + u" MB video memory.";
    } else if (passed) {
        message = u"This system meets the minimum " + FormatInteger(MinimumMB) + u" MB video memory.";
    } else {
        // The failing text names the minimum but says "recommended"; it is kept as users know it.
        message = u"This system does not meet the recommended " + FormatInteger(MinimumMB) + u" MB video memory.";
    }
    const std::u16string requirements =
        u"Minimum: " + FormatInteger(MinimumMB) + u" MB~Recommended: " + FormatInteger(RecommendedMB) + u" MB~";
    return {VideoMemoryLabel, passed, requirements, FormatInteger(ram) + u" MB", message};
}

} // namespace Talvane::Nimlo
