#include "report/ReportTemplate.h"

#include "text/Utf8.h"

namespace Talvane::Nimlo {

std::string ReplaceAll(std::string text, const std::string& placeholder, const std::string& value)
{
    if (placeholder.empty()) {
        return text;
    }
    for (std::size_t pos = text.find(placeholder); pos != std::string::npos;
         pos = text.find(placeholder, pos + value.size())) {
        text.replace(pos, placeholder.size(), value);
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
