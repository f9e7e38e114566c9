#pragma once

#include <string>
#include <string_view>

#include "text/NumberFormat.h"

namespace Talvane::Nimlo {

// The texts of a check against a minimum and a recommended amount (memory,
// video memory): "Minimum: 1 GB~Recommended: 2 GB~", and the message of the
// step the system reaches, written once for both checks.
struct AmountLadder {
    std::u16string minimum;      // formatted
    std::u16string recommended;  // formatted
    std::u16string_view unit;    // in the requirements cell
    std::u16string_view message; // what follows the amount in a message
    std::u16string_view shortOf; // the step a failing system is said not to meet
};

inline std::u16string LadderRequirements(const AmountLadder& ladder)
{
    std::u16string text(u"Minimum: ");
    text.append(ladder.minimum).append(u" ").append(ladder.unit);
    text.append(u"~Recommended: ").append(ladder.recommended).append(u" ").append(ladder.unit).append(u"~");
    return text;
}

inline std::u16string LadderMessage(const AmountLadder& ladder, bool meetsRecommended, bool meetsMinimum)
{
    std::u16string text(u"This system ");
    if (meetsRecommended) {
        text.append(u"meets the recommended ").append(ladder.recommended);
    } else if (meetsMinimum) {
        text.append(u"meets the minimum ").append(ladder.minimum);
    } else {
        text.append(u"does not meet the ").append(ladder.shortOf).append(u" ").append(ladder.minimum);
    }
    text.append(u" ").append(ladder.message).append(u".");
    return text;
}

} // namespace Talvane::Nimlo
