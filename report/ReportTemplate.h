#pragma once

#include <string>

namespace Talvane::Nimlo {

inline constexpr char16_t OemName[] = u"Talvane";
inline constexpr char16_t OemProductName[] = u"Dravik";
inline constexpr char16_t MajorVersion[] = u"17";

// Replaces every occurrence of `placeholder` in `text` by `value`, also those
// that a replacement forms together with the text around it. A value that
// holds the placeholder itself is inserted as it is and never searched again,
// and the work is bounded whatever the value. Where no replacement forms a new
// occurrence (every page a real machine gives) the work is linear in the sizes
// of the text and the result, however many placeholders the text holds.
std::string ReplaceAll(std::string text, const std::string& placeholder, const std::string& value);

// The report page: the template with the report body, the computer name, the
// product values and the check boxes put in, in that order (so placeholders
// inside the body are replaced as well).
std::string FillReport(const std::string& reportTemplate, const std::string& reportBody,
                       const std::u16string& computerName);

} // namespace Talvane::Nimlo
