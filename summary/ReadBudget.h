#pragma once

#include <cstdint>

namespace Talvane::Nimlo {

// The bytes of the files being read, and read but not yet handed on, share a
// budget: a file is read once its size fits beside the others'. A file larger
// than the whole budget waits until nothing else is in flight and is read
// alone, so the reads never hold more than the budget or one file.
class ReadBudget {
public:
    explicit ReadBudget(std::uint64_t bytes) : limit_(bytes) {}

    // Whether a file of `bytes` may be read now; if so, its bytes are taken.
    bool Take(std::uint64_t bytes)
    {
        if (taken_ != 0 && (taken_ > limit_ || bytes > limit_ - taken_)) {
            return false;
        }
        taken_ += bytes;
        return true;
    }

    // A file taken is handed on: its bytes are free again.
    void Give(std::uint64_t bytes) { taken_ -= bytes; }

private:
    std::uint64_t limit_;
    std::uint64_t taken_ = 0;
};

} // namespace Talvane::Nimlo
