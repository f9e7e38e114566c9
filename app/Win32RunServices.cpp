#include "app/Win32RunServices.h"

#include <windows.h>

#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Resources.h"
#include "platform/win32/WmiConnection.h"
#include "sysinfo/CollectSystemProfile.h"

namespace Talvane::Nimlo {

SystemProfile Win32RunServices::CollectSystemProfile()
{
    // The connection (and COM with it) lives until the profile is built,
    // registry probes included.
    WmiConnection wmi;
    Win32Registry registry;
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    return Talvane::Nimlo::CollectSystemProfile(wmi, registry, system.dwNumberOfProcessors);
}

std::string Win32RunServices::LoadReportTemplate()
{
    return Talvane::Nimlo::LoadReportTemplate();
}

} // namespace Talvane::Nimlo
