#include "requirements/MemoryCheck.h"

#include <cmath>

#include "requirements/AmountLadder.h"
#include "requirements/RoleLabels.h"
#include "text/NumberFormat.h"

namespace Talvane::Nimlo {

float RoundMemoryForComparison(double sizeGB)
{
    const auto size = static_cast<float>(sizeGB);
    const float hundredths = size * 100.0f;
    const double ceiling = std::ceil(static_cast<double>(hundredths));
    return static_cast<float>(ceiling) / 100.0f;
}

RequirementResult CheckMemory(const MemoryInfo& memory, std::uint32_t minimumGB, std::uint32_t recommendedGB)
{
    const float rounded = RoundMemoryForComparison(memory.totalPhysicalMemoryGB);
    const bool passed = rounded >= static_cast<float>(minimumGB);

    const AmountLadder ladder{FormatInteger(minimumGB), FormatInteger(recommendedGB), u"GB", u"GB", u"minimum"};
    const std::u16string message = LadderMessage(ladder, rounded >= static_cast<float>(recommendedGB), passed);
    const std::u16string requirements = LadderRequirements(ladder);
    const std::u16string system = FormatFixed(memory.totalPhysicalMemoryGB, 2) + u" GB RAM";
    return {MemoryLabel, passed, requirements, system, message};
}

} // namespace Talvane::Nimlo
