#pragma once

#include <string>
#include <string_view>

#include "sysinfo/SystemProfile.h"

// The report template, compiled in.
extern const std::string_view BenchReportTemplate;

namespace Talvane::Nimlo::Bench {

// An ordinary office workstation: one system disk and one data disk.
SystemProfile TypicalProfile();

// A server with every drive letter from A: to Z: in use.
SystemProfile ManyDisksProfile();

// A machine whose registry product name (the operating system's caption) and
// computer name are each 1 MiB of "{{CHECKBOX_ON}}": the caption is shown in
// six cells, so the page holds some 490,000 placeholders.
SystemProfile PlaceholderFloodProfile();

// The pure pipeline: the three roles judged and rendered, and the filled page.
std::string BuildPage(const SystemProfile& profile, const std::string& reportTemplate);

} // namespace Talvane::Nimlo::Bench
