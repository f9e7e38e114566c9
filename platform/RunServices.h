#pragma once

#include <string>

#include "platform/CollectionProgress.h"
#include "platform/Deadline.h"
#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/Worker.h"
#include "sysinfo/SystemProfile.h"

namespace Talvane::Nimlo {

// Everything the assessment run takes from the machine it runs on: the facts,
// the report template, files, the desktop, time and a thread to collect on.
class RunServices {
public:
    virtual ~RunServices() = default;

    // Runs on the collection's thread (CollectionThread). Every wait it can
    // bound ends by `deadline` (then it throws DeadlinePassed); `progress`
    // follows its steps.
    virtual SystemProfile CollectSystemProfile(const Deadline& deadline, CollectionProgress& progress) = 0;
    virtual std::string LoadReportTemplate() = 0;
    virtual FileSystem& Files() = 0;
    // Where the user is told and the result handed back: the message box, the
    // shell that opens the report, standard error and standard output.
    virtual Desktop& UserDesktop() = 0;
    // The tick count the collection's deadline and the busy retries go by.
    virtual Clock& TickClock() = 0;
    virtual Worker& CollectionThread() = 0;

    // Ends the process at once with `status`, without the runtime's exit and
    // the DLLs' detach: a collection abandoned at its deadline may be stuck
    // inside a call that holds the locks they need. (A test's services
    // record the request and return.)
    virtual void EndAbandoned(int status) = 0;
};

} // namespace Talvane::Nimlo
