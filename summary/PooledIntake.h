#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "report/ReportReader.h"
#include "summary/Intake.h"
#include "summary/OrderedMerge.h"
#include "summary/PoolJobs.h"
#include "summary/ReadBudget.h"
#include "summary/Search.h"

namespace Talvane::Nimlo {

// The bytes read and not yet handed out, all files together; a larger file
// waits until nothing else is and is read alone.
inline constexpr std::uint64_t ReadBudgetBytes = 32ull << 20;

// A file the search found, and what it holds.
struct Intaken {
    Found found;
    Taken taken;
};

// What the search finds, read many at once on the pool's files lane (their
// bytes within ReadBudgetBytes), each page then parsed on the parsing lane
// (Intake.h), and handed out in the search's order whichever read or parse
// ends first, with their long CSV lines where `csvLines` asks for them. At
// most `window` files are between the search and the hand-out; a page over
// LargePageBytes is read, parsed and handed out alone.
class PooledIntake {
public:
    PooledIntake(FileSystem& files, const ReportReader& reader, bool csvLines, PoolJobs& jobs, Search& search,
                 std::size_t window);

    // The next file found and what it holds; none once the search has found
    // nothing more and everything is handed out.
    std::optional<Intaken> Next();

private:
    struct Pending {
        Found found;
        Taken taken;
    };
    using Numbered = std::pair<std::uint64_t, Found>; // its place in the search's order
    using ReadFiles = std::vector<std::pair<Numbered, std::optional<Result<std::string>>>>; // and their bytes

    void Meet(Found found);
    // Starts the reads waiting, in their order, as far as the budget allows.
    void StartReads();
    // A batch read: the notes are taken as they are; the pages go to be parsed, together.
    void Read(ReadFiles&& read);

    FileSystem& files_;
    const ReportReader& reader_;
    bool csvLines_;
    PoolJobs& jobs_;
    Search& search_;
    std::size_t window_;
    bool searched_ = false; // the search has found everything
    OrderedMerge<Pending> merge_;
    std::deque<Numbered> reads_; // found and waiting for the budget, in their order
    ReadBudget budget_{ReadBudgetBytes};
};

} // namespace Talvane::Nimlo
