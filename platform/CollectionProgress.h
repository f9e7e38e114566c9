#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace Talvane::Nimlo {

// Which step of the collection is under way, written by the thread that
// collects and read by the one that waits for it once its deadline has
// passed. Steps are named by fixed texts, so nothing is freed while the other
// thread may still read it.
class CollectionProgress {
public:
    enum class Phase : int {
        Running,       // a step that is not a query (connecting, the registry)
        InQuery,       // a WMI query that has not returned
        AwaitingResult // waiting for the next result object of a query
    };

    // `step` must be a text of static storage: a WMI class or the name of a step.
    void Enter(const char* step) noexcept
    {
        phase_.store(Phase::Running, std::memory_order_release);
        step_.store(step, std::memory_order_release);
    }

    void SetPhase(Phase phase) noexcept { phase_.store(phase, std::memory_order_release); }

    const char* Step() const noexcept { return step_.load(std::memory_order_acquire); }
    Phase CurrentPhase() const noexcept { return phase_.load(std::memory_order_acquire); }

    // Why the collection ended unfinished, for the not-assessed message:
    // "Win32_LogicalDisk did not answer within 120 s (stuck in the query)".
    std::string DidNotAnswer(std::uint32_t limitMilliseconds) const
    {
        std::string text = Step();
        text.append(" did not answer within ");
        if (limitMilliseconds % 1000 == 0) {
            text.append(std::to_string(limitMilliseconds / 1000)).append(" s");
        } else {
            text.append(std::to_string(limitMilliseconds)).append(" ms");
        }
        switch (CurrentPhase()) {
        case Phase::InQuery:
            return text.append(" (stuck in the query)");
        case Phase::AwaitingResult:
            return text.append(" (stuck waiting for its results)");
        case Phase::Running:
            break;
        }
        return text;
    }

private:
    std::atomic<const char*> step_{"Starting the collection"};
    std::atomic<Phase> phase_{Phase::Running};
};

} // namespace Talvane::Nimlo
