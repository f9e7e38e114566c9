#include "platform/win32/Win32Resources.h"

#include <windows.h>

#include <stdexcept>

namespace Talvane::Nimlo {

std::string LoadReportTemplate()
{
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC resource =
        FindResourceW(module, MAKEINTRESOURCEW(ReportTemplateResourceId), MAKEINTRESOURCEW(ReportTemplateResourceType));
    if (resource == nullptr) {
        throw std::runtime_error("the report template is missing from the program");
    }
    const HGLOBAL loaded = LoadResource(module, resource);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, resource);
    if (bytes == nullptr || size == 0) {
        throw std::runtime_error("the report template could not be loaded from the program");
    }
    return std::string(static_cast<const char*>(bytes), size);
}

} // namespace Talvane::Nimlo
