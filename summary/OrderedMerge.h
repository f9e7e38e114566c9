#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <utility>

namespace Talvane::Nimlo {

// Results numbered in the order they were asked for, which come back in any
// order and are handed on in that order: whatever the number of threads and
// whichever read ends first, what the search met first is said first.
template <typename T> class OrderedMerge {
public:
    // Holds the place of the next result and gives its number.
    std::uint64_t Add()
    {
        slots_.emplace_back();
        return first_ + slots_.size() - 1;
    }

    // The result numbered `number` has come back.
    void Put(std::uint64_t number, T result)
    {
        slots_.at(static_cast<std::size_t>(number - first_)) = std::move(result);
    }

    // The next result in order, once it has come back.
    std::optional<T> Take()
    {
        if (slots_.empty() || !slots_.front()) {
            return std::nullopt;
        }
        std::optional<T> next = std::move(slots_.front());
        slots_.pop_front();
        ++first_;
        return next;
    }

    // How many were numbered and not yet taken.
    std::size_t Waiting() const { return slots_.size(); }

private:
    std::deque<std::optional<T>> slots_;
    std::uint64_t first_ = 0; // the number of the first slot
};

} // namespace Talvane::Nimlo
