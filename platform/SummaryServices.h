#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/Deadline.h"
#include "platform/FileSystem.h"
#include "platform/JobPool.h"

namespace Talvane::Nimlo {

// Everything the fleet summary takes from the machine it runs on: the files
// it reads and writes, the clock the retries of a busy output wait on,
// whether a person watches standard error, and threads.
class SummaryServices {
public:
    virtual ~SummaryServices() = default;

    virtual FileSystem& Files() = 0;
    virtual Clock& TickClock() = 0;

    // Whether standard error goes to a terminal that a person watches, where
    // a line can be updated in place.
    virtual bool StandardErrorIsTerminal() = 0;

    // Threads for the look-ups, reads and parsing of a run (JobPool.h): lane
    // i with up to `threads[i]`. The files may be examined and read on them,
    // at once. The platform's threads, unless a test hands out its own.
    virtual std::unique_ptr<JobPool> Pool(const std::vector<std::size_t>& threads)
    {
        return MakePlatformJobPool(threads);
    }
};

// The services of a platform, from its files, its clock and its answer to
// whether a person watches standard error.
template <class PlatformFiles, class PlatformClock, bool (*Watched)()>
class PlatformSummaryServices final : public SummaryServices {
public:
    FileSystem& Files() override { return files_; }
    Clock& TickClock() override { return clock_; }
    bool StandardErrorIsTerminal() override { return Watched(); }

private:
    PlatformFiles files_;
    PlatformClock clock_;
};

// The services of the platform the summary runs on.
std::unique_ptr<SummaryServices> MakePlatformSummaryServices();

} // namespace Talvane::Nimlo
