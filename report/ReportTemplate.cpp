#include "report/ReportTemplate.h"

#include "text/Utf8.h"

namespace Talvane::Nimlo {

std::string ReplaceAll(std::string text, const std::string& placeholder, const std::string& value)
{
    if (placeholder.empty()) {
        return text;
    }
    // After a replacement the search goes on from the first place where the
    // inserted value could have completed a placeholder with the text before
    // it, so occurrences formed by a replacement are replaced as well. Two
    // guards keep this finite: a value that holds the placeholder itself is
    // never searched again, and after a generous budget of replacements (only
    // values built to keep forming new occurrences get there) every inserted
    // value is stepped over.
    const bool valueHoldsPlaceholder = value.find(placeholder) != std::string::npos;
    // A cascade that ends can take about as many replacements as the square of
    // the length ("ab" by "ba" moves every "b" before every "a"); beyond a fixed
    // ceiling the values are taken to be built to go on for ever.
    constexpr std::size_t MaxFormedReplacements = std::size_t{1} << 16;
    const std::size_t length = text.size() + value.size() + 1;
    std::size_t budget = length < 256 ? length * length : MaxFormedReplacements;
    for (std::size_t pos = text.find(placeholder); pos != std::string::npos;) {
        text.replace(pos, placeholder.size(), value);
        std::size_t from = pos + value.size();
        if (!valueHoldsPlaceholder && budget > 0) {
            --budget;
            from = pos >= placeholder.size() - 1 ? pos - (placeholder.size() - 1) : 0;
        }
        pos = text.find(placeholder, from);
    }
    return text;
}

std::string FillReport(const std::string& reportTemplate, const std::string& reportBody,
                       const std::u16string& computerName)
{
    std::string page = ReplaceAll(reportTemplate, "{{REPORT_BODY}}", reportBody);
    page = ReplaceAll(std::move(page), "{{COMPUTER_NAME}}", ToUtf8(computerName));
    page = ReplaceAll(std::move(page), "{{OEM_NAME}}", ToUtf8(OemName));
    page = ReplaceAll(std::move(page), "{{OEM_PRODUCT_NAME}}", ToUtf8(OemProductName));
    page = ReplaceAll(std::move(page), "{{MAJOR_VERSION}}", ToUtf8(MajorVersion));
    page = ReplaceAll(std::move(page), "{{CHECKBOX_ON}}", "<input type=checkbox disabled=disabled checked=checked>");
    page = ReplaceAll(std::move(page), "{{CHECKBOX_OFF}}", "<input type=checkbox disabled=disabled>");
    return page;
}

} // namespace Talvane::Nimlo
