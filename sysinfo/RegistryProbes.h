#pragma once

#include <string>
#include <vector>

#include "platform/Registry.h"
#include "sysinfo/Records.h"

namespace Talvane::Nimlo {

// The registry probes of the system profile. They read HKEY_LOCAL_MACHINE
// only, in the view chosen by RegistryView, and never throw for registry
// failures: a missing key or value ends in a fixed default.

// The installed .NET Framework 4 release: the "Version" text and the
// "Release" number of the setup key, or "Not Installed" and 0.
DotNetInfo ProbeDotNet(Registry& registry);

// The Internet Explorer version text: "svcVersion", else "Version" when
// "svcVersion" does not exist; "0" without the key, "0.Unknown" without a
// readable value.
std::u16string ProbeInternetExplorer(Registry& registry);

// Which of the eight known C++ redistributables are installed, in fixed
// order. A package counts as installed when its key opens.
std::vector<RuntimeStatus> ProbeCppRuntimes(Registry& registry);

} // namespace Talvane::Nimlo
