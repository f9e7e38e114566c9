#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Talvane::Nimlo {

// No computer name or note's detail is kept longer than this many bytes (a
// real computer name has 63 at most), so what is kept of a fleet does not
// grow with what its pages hold.
inline constexpr std::size_t KeptTextLimit = 256;

// At most KeptTextLimit bytes of `text`: a longer one is cut before a UTF-8
// sequence that would not fit and ends in "...".
std::string CutToLimit(std::string_view text);

// Where a text is in a TextStore, with its length: its block, its offset in
// the block and its length, from the highest bits down, so handles order as
// their texts were kept. A text may hold any byte, NUL too.
using TextHandle = std::uint64_t;

// Every text of a fleet in one store, in blocks of 64 KiB that never move (a
// longer text has one of its own), so the store grows by what it holds and
// not by doubling.
class TextStore {
public:
    static constexpr unsigned LengthBits = 28; // a text is at most 256 MiB
    static constexpr unsigned OffsetBits = 16; // 64 KiB blocks
    static constexpr std::size_t MaxLength = (std::size_t{1} << LengthBits) - 1;

    // Keeps the text (its first MaxLength bytes: no text of a fleet comes near).
    TextHandle Keep(std::string_view text);
    std::string_view Text(TextHandle at) const
    {
        const auto block = static_cast<std::size_t>(at >> (OffsetBits + LengthBits));
        const auto offset = static_cast<std::size_t>((at >> LengthBits) & ((1u << OffsetBits) - 1u));
        const auto length = static_cast<std::size_t>(at & MaxLength);
        return std::string_view(blocks_[block].data() + offset, length);
    }

private:
    std::vector<std::string> blocks_;
};

} // namespace Talvane::Nimlo
