// The fleet summary's services on Linux and other POSIX systems.
#include <unistd.h>

#include "platform/SummaryServices.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixFiles.h"

namespace Talvane::Nimlo {
namespace {

bool StandardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

} // namespace

std::unique_ptr<SummaryServices> MakePlatformSummaryServices()
{
    return std::make_unique<PlatformSummaryServices<PosixFileSystem, PosixClock, &StandardErrorIsTerminal>>();
}

} // namespace Talvane::Nimlo
