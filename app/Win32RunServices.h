#pragma once

#include "platform/RunServices.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Worker.h"

namespace Talvane::Nimlo {

// The run's services on Windows: WMI and the registry for the facts, the
// executable's resources for the template, files, shell and message box, the
// tick count, a thread of CreateThread's and TerminateProcess.
class Win32RunServices : public RunServices {
public:
    SystemProfile CollectSystemProfile(const Deadline& deadline, CollectionProgress& progress) override;
    std::string LoadReportTemplate() override;
    FileSystem& Files() override { return files_; }
    Desktop& UserDesktop() override { return desktop_; }
    Clock& TickClock() override { return clock_; }
    Worker& CollectionThread() override { return worker_; }
    void EndAbandoned(int status) override;

private:
    Win32FileSystem files_{Win32FileCalls::WritingOnly()};
    Win32Desktop desktop_;
    Win32Clock clock_;
    Win32Worker worker_;
};

} // namespace Talvane::Nimlo
