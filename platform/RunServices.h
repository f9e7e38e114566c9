#pragma once

#include <string>

#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "sysinfo/SystemProfile.h"

namespace Talvane::Nimlo {

// Everything the assessment run takes from the machine it runs on: the facts,
// the report template, files, and the desktop.
class RunServices {
public:
    virtual ~RunServices() = default;
    virtual SystemProfile CollectSystemProfile() = 0;
    virtual std::string LoadReportTemplate() = 0;
    virtual FileSystem& Files() = 0;
    virtual Desktop& Shell() = 0;
};

} // namespace Talvane::Nimlo
