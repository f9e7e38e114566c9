#pragma once

#include <string>
#include <vector>

namespace Talvane::Nimlo {

// The pieces of `text` that are each ended by "~", in order. Text after the
// last "~" belongs to no piece.
std::vector<std::u16string> SplitItems(const std::u16string& text);

// A cell's content as UTF-8: a text without "~" as it is, otherwise one
// "<div class=list-div>" line per "~"-ended item. No HTML escaping: the texts
// are HTML fragments already.
std::string FormatCell(const std::u16string& text);

} // namespace Talvane::Nimlo
