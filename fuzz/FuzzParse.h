#pragma once

// Runs the product's unsigned conversions and reports what they did in the
// reference's terms, checking the error kinds and messages on the way.

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

#include "FuzzSupport.h"
#include "text/NumberParse.h"

namespace Talvane::Nimlo::Fuzzing {

// Calls `parse` and turns its result or error into a ParseOutcome. Any error
// other than the two standard kinds, or a message other than the expected
// one, is a violation.
template <typename Parse> ParseOutcome Observe(Parse parse, const char* invalidMessage, const char* rangeMessage)
{
    try {
        return {ParseOutcome::Kind::Value, static_cast<std::uint64_t>(parse())};
    } catch (const std::invalid_argument& error) {
        FUZZ_CHECK(std::strcmp(error.what(), invalidMessage) == 0, std::string("message: ") + error.what());
        return {ParseOutcome::Kind::Invalid, 0};
    } catch (const std::out_of_range& error) {
        FUZZ_CHECK(std::strcmp(error.what(), rangeMessage) == 0, std::string("message: ") + error.what());
        return {ParseOutcome::Kind::OutOfRange, 0};
    }
}

inline ParseOutcome Observe32(std::u16string_view text)
{
    return Observe([text] { return ParseUnsigned32(text); }, "invalid stoul argument", "stoul argument out of range");
}

inline ParseOutcome Observe64(std::u16string_view text)
{
    return Observe([text] { return ParseUnsigned64(text); }, "invalid stoull argument", "stoull argument out of range");
}

} // namespace Talvane::Nimlo::Fuzzing
