#pragma once

#include "platform/RunServices.h"
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/Win32Files.h"

namespace Talvane::Nimlo {

// The run's services on Windows: WMI and the registry for the facts, the
// executable's resources for the template, files, shell and message box.
class Win32RunServices : public RunServices {
public:
    SystemProfile CollectSystemProfile() override;
    std::string LoadReportTemplate() override;
    FileSystem& Files() override { return files_; }
    Desktop& Shell() override { return desktop_; }

private:
    Win32FileSystem files_;
    Win32Desktop desktop_;
};

} // namespace Talvane::Nimlo
