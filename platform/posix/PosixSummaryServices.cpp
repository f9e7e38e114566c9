// The fleet summary's services on Linux and other POSIX systems.
#include <unistd.h>

#include "platform/SummaryServices.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixFiles.h"

namespace Talvane::Nimlo {
namespace {

class PosixSummaryServices final : public SummaryServices {
public:
    FileSystem& Files() override { return files_; }
    Clock& TickClock() override { return clock_; }
    bool StandardErrorIsTerminal() override { return ::isatty(STDERR_FILENO) == 1; }

private:
    PosixFileSystem files_;
    PosixClock clock_;
};

} // namespace

std::unique_ptr<SummaryServices> MakePlatformSummaryServices()
{
    return std::make_unique<PosixSummaryServices>();
}

} // namespace Talvane::Nimlo
