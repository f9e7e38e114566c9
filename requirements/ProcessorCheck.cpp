#include "requirements/ProcessorCheck.h"

#include "requirements/RoleLabels.h"
#include "text/NumberFormat.h"

namespace Talvane::Nimlo {
namespace {

constexpr double ServerMinimumGHz = 2.4;
constexpr int ServerMinimumCores = 2;
constexpr double ClientMinimumGHz = 1.0;
constexpr double ClientRecommendedGHz = 2.0;

} // namespace

std::u16string DescribeProcessor(const CpuInfo& cpu)
{
    return FormatFixed(cpu.maxClockSpeedGHz, 2) + u" GHz " + FormatInteger(cpu.processorCount) + u" Core CPU";
}

RequirementResult CheckServerProcessor(const CpuInfo& cpu)
{
    const bool passed = cpu.maxClockSpeedGHz >= ServerMinimumGHz &&
                        static_cast<double>(cpu.processorCount) >= static_cast<double>(ServerMinimumCores);

    const std::u16string requirements = u"Minimum: " + FormatFixed(ServerMinimumGHz, 2) + u" GHz / " +
                                        FormatInteger(ServerMinimumCores) +
                                        u" cores~Recommended: Intel&reg; XEON&trade; processor with multiple "
                                        u"cores or processors~";
    const std::u16string thresholds =
        FormatFixed(ServerMinimumGHz, 1) + u" GHz " + FormatInteger(ServerMinimumCores) + u" Core.";
    // The passing message begins with a tab on purpose: the page has always
    // shown it so, and readers of the page and of the CSV compare it as it is.
    const std::u16string message = passed ? u"\tThis system meets the recommended " + thresholds
                                          : u"This system does not meet the minimum " + thresholds;
    return {ProcessorLabel, passed, requirements, DescribeProcessor(cpu), message};
}

RequirementResult CheckClientProcessor(const CpuInfo& cpu)
{
    const double clock = cpu.maxClockSpeedGHz;
    const bool passed = clock >= ClientMinimumGHz;

    const std::u16string requirements = u"Minimum: " + FormatFixed(ClientMinimumGHz, 2) + u" GHz~Recommended: " +
                                        FormatFixed(ClientRecommendedGHz, 2) + u" GHz~";
    std::u16string message;
    if (clock >= ClientRecommendedGHz) {
        message = u"This system meets the recommended " + FormatFixed(ClientRecommendedGHz, 1) + u" GHz.";
    } else if (clock >= ClientMinimumGHz) {
        message = u"This system meets the minimum " + FormatFixed(ClientMinimumGHz, 1) + u" GHz.";
    } else {
        message = u"This system does not meet the minimum " + FormatFixed(ClientMinimumGHz, 1) + u" GHz.";
    }
    return {ProcessorLabel, passed, requirements, DescribeProcessor(cpu), message};
}

} // namespace Talvane::Nimlo
