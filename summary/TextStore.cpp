#include "summary/TextStore.h"

#include <algorithm>

namespace Talvane::Nimlo {

std::string CutToLimit(std::string_view text)
{
    if (text.size() <= KeptTextLimit) {
        return std::string(text);
    }
    std::size_t end = KeptTextLimit - 3;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return std::string(text.substr(0, end)) + "...";
}

TextHandle TextStore::Keep(std::string_view text)
{
    constexpr std::size_t BlockBytes = std::size_t{1} << OffsetBits;
    text = text.substr(0, MaxLength);
    // A text starts within a block's first 64 KiB, and a block never grows past what it reserved.
    if (blocks_.empty() || blocks_.back().size() >= BlockBytes ||
        blocks_.back().capacity() - blocks_.back().size() < text.size()) {
        blocks_.emplace_back();
        blocks_.back().reserve(std::max(BlockBytes, text.size()));
    }
    std::string& block = blocks_.back();
    const TextHandle at = (static_cast<TextHandle>(blocks_.size() - 1) << (OffsetBits + LengthBits)) |
                          (static_cast<TextHandle>(block.size()) << LengthBits) | text.size();
    block.append(text);
    return at;
}

} // namespace Talvane::Nimlo
