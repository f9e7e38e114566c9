#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sysinfo/SystemProfile.h"

extern const std::string_view EmbeddedReportTemplate;
extern const std::string_view EmbeddedGoldenAllPass;
extern const std::string_view EmbeddedGoldenAllFail;
extern const std::string_view EmbeddedGoldenEmpty;

namespace Talvane::Nimlo::Testing {

// The eight redistributables in detection order, each installed or not.
std::vector<RuntimeStatus> Runtimes(const std::vector<bool>& installed);

// A server that meets every requirement of every role.
SystemProfile AllPassProfile();

// A machine that fails every row of every role.
SystemProfile AllFailProfile();

// Zeros, empty lists and empty texts.
SystemProfile EmptyProfile();

} // namespace Talvane::Nimlo::Testing
