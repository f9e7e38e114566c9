#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "sysinfo/SystemProfile.h"

namespace Talvane::Nimlo::Testing {

// Machines of every kind, made from a seed: any Windows from 5.0 to 10.0,
// workstations and servers, 0 to 8 disks, any amounts, any subset of the
// runtimes, and texts (computer name, caption, drive names, browser and .NET
// versions) mixed from letters, non-ASCII text, entities, markup fragments,
// quotes and "~". They hold no line break and no "{", so every one of them
// comes back from a filled page as it went in.
class RandomProfiles {
public:
    explicit RandomProfiles(std::uint32_t seed) : random_(seed) {}

    SystemProfile Next();

private:
    std::u16string Text(std::size_t maxPieces);
    double Amount(double max);
    std::uint32_t Below(std::uint32_t bound);

    std::mt19937 random_;
};

} // namespace Talvane::Nimlo::Testing
