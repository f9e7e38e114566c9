#pragma once

#include "requirements/RequirementResult.h"
#include "sysinfo/Records.h"

namespace Talvane::Nimlo {

// Client only: at least 128 MB of video memory, 256 MB recommended.
RequirementResult CheckVideoMemory(const VideoMemoryInfo& video);

} // namespace Talvane::Nimlo
