#include "summary/Progress.h"

#include <algorithm>
#include <string>

namespace Talvane::Nimlo {

void Progress::Read(std::size_t reports)
{
    if (!shown_) {
        return;
    }
    const Clock::time_point now = Clock::now();
    if (width_ > 0 && now - last_ < std::chrono::milliseconds(250)) {
        return;
    }
    last_ = now;
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(now - start_).count();
    std::string line = std::to_string(reports) + " reports read";
    if (milliseconds >= 500) {
        line += ", " + std::to_string(reports * 1000 / static_cast<std::size_t>(milliseconds)) + " a second";
    }
    const std::size_t width = line.size();
    if (width < width_) {
        line.append(width_ - width, ' ');
    }
    out_ << '\r' << line << std::flush;
    width_ = std::max(width_, width);
}

void Progress::Clear()
{
    if (width_ > 0) {
        out_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
        width_ = 0;
    }
}

} // namespace Talvane::Nimlo
