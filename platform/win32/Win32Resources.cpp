#include "platform/win32/Win32Resources.h"

#include <windows.h>

#include "platform/SystemError.h"

namespace Talvane::Nimlo {

std::string LoadReportTemplate()
{
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC resource =
        FindResourceW(module, MAKEINTRESOURCEW(ReportTemplateResourceId), MAKEINTRESOURCEW(ReportTemplateResourceType));
    if (resource == nullptr) {
        throw SystemError::Win32(GetLastError(), "the report template is missing from the program");
    }
    const DWORD size = SizeofResource(module, resource);
    if (size == 0) {
        throw SystemError::Win32(GetLastError(), "the report template could not be loaded from the program");
    }
    const HGLOBAL loaded = LoadResource(module, resource);
    if (loaded == nullptr) {
        throw SystemError::Win32(GetLastError(), "the report template could not be loaded from the program");
    }
    // LockResource only returns the resource's address; it sets no error.
    const void* bytes = LockResource(loaded);
    if (bytes == nullptr) {
        throw SystemError::Win32(0, "the report template could not be loaded from the program");
    }
    return std::string(static_cast<const char*>(bytes), size);
}

} // namespace Talvane::Nimlo
