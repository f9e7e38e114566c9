#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fakes/ShuffledJobPool.h"
#include "summary/Search.h"

namespace Talvane::Nimlo::Testing {

// Everything the search of `paths` meets, in its order, its look-ups (a
// few at a time) ending in an order drawn from `seed`, or in the order they
// were asked for.
inline std::vector<Found> SearchAll(FileSystem& files, const std::vector<std::string>& paths,
                                    std::optional<std::uint32_t> seed = 1)
{
    PoolJobs jobs(seed ? std::make_unique<ShuffledJobPool>(*seed) : std::make_unique<ShuffledJobPool>(), {4, 1});
    Search search(files, jobs, paths, 6);
    std::vector<Found> met;
    while (std::optional<Found> found = search.Next()) {
        met.push_back(*std::move(found));
    }
    return met;
}

} // namespace Talvane::Nimlo::Testing
