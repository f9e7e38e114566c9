#include "app/Win32RunServices.h"

#include <windows.h>

#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Resources.h"
#include "platform/win32/WmiConnection.h"
#include "sysinfo/CollectSystemProfile.h"

namespace Talvane::Nimlo {

SystemProfile Win32RunServices::CollectSystemProfile(const Deadline& deadline, CollectionProgress& progress)
{
    // The connection (and COM with it) lives until the profile is built,
    // registry probes included.
    progress.Enter("Connecting to WMI");
    WmiConnection wmi(clock_, deadline);
    Win32Registry registry;
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    return Talvane::Nimlo::CollectSystemProfile(wmi, registry, system.dwNumberOfProcessors, progress);
}

std::string Win32RunServices::LoadReportTemplate()
{
    return Talvane::Nimlo::LoadReportTemplate();
}

void Win32RunServices::EndAbandoned(int status)
{
    // Returning from the entry point would run the runtime's exit and every
    // DLL's detach beside a thread stuck inside WMI, which may hold their locks.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
}

} // namespace Talvane::Nimlo
