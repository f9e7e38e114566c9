#pragma once

#include <chrono>
#include <cstddef>
#include <ostream>

namespace Talvane::Nimlo {

// One line on a terminal, updated in place as reports are read: how many so
// far and how fast, at most four times a second, cleared before anything else
// is said. Where nobody watches (a script, a pipe, a file), it says nothing.
class Progress {
public:
    Progress(std::ostream& out, bool shown) : out_(out), shown_(shown) {}
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;
    ~Progress() { Clear(); }

    void Read(std::size_t reports);
    void Clear();

private:
    using Clock = std::chrono::steady_clock;

    std::ostream& out_;
    bool shown_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point last_{};
    std::size_t width_ = 0; // of the line shown, 0 when none is
};

} // namespace Talvane::Nimlo
