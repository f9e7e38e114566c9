#pragma once

// Shared by the fuzz targets: property checks that stop the run with a
// message, a strict UTF-8 validator written independently of ToUtf8, the
// decoding of fuzz bytes into UTF-16 text, and a reference parser for the
// unsigned conversions.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

namespace Talvane::Nimlo::Fuzzing {

// Printable form of a UTF-16 text for failure messages.
inline std::string Show(std::u16string_view text)
{
    std::string out = "u\"";
    for (const char16_t unit : text) {
        if (unit >= 0x20 && unit < 0x7F && unit != u'\\' && unit != u'"') {
            out.push_back(static_cast<char>(unit));
        } else {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "\\x%04X", static_cast<unsigned>(unit));
            out += buffer;
        }
    }
    return out + "\"";
}

// Printable form of a byte string for failure messages.
inline std::string Show(std::string_view bytes)
{
    std::string out = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\' && byte != '"') {
            out.push_back(c);
        } else if (byte == '\n') {
            out += "\\n";
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02X", static_cast<unsigned>(byte));
            out += buffer;
        }
    }
    return out + "\"";
}

[[noreturn]] inline void Violation(const char* file, int line, const char* condition, const std::string& detail)
{
    std::fprintf(stderr, "\n*** property violated at %s:%d\n***   %s\n", file, line, condition);
    if (!detail.empty()) {
        std::fprintf(stderr, "***   %s\n", detail.c_str());
    }
    std::fflush(stderr);
    std::abort();
}

} // namespace Talvane::Nimlo::Fuzzing

// Stops the run when `condition` is false. The detail expression (a string)
// is only evaluated on failure.
#define FUZZ_CHECK(condition, detail)                                                                                  \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            ::Talvane::Nimlo::Fuzzing::Violation(__FILE__, __LINE__, #condition, std::string(detail));                 \
        }                                                                                                              \
    } while (false)

namespace Talvane::Nimlo::Fuzzing {

// Strict UTF-8: shortest forms only, no surrogate code points, nothing above
// U+10FFFF. Returns the code points, or nothing when the bytes are not valid.
inline std::optional<std::vector<char32_t>> DecodeStrictUtf8(std::string_view bytes)
{
    std::vector<char32_t> points;
    const auto at = [&bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const auto inRange = [](unsigned char b, unsigned char lo, unsigned char hi) { return b >= lo && b <= hi; };
    std::size_t i = 0;
    while (i < bytes.size()) {
        const unsigned char lead = at(i);
        std::size_t length = 0;
        unsigned char secondLo = 0x80;
        unsigned char secondHi = 0xBF;
        if (lead <= 0x7F) {
            points.push_back(lead);
            ++i;
            continue;
        }
        if (inRange(lead, 0xC2, 0xDF)) {
            length = 2;
        } else if (lead == 0xE0) {
            length = 3;
            secondLo = 0xA0;
        } else if (inRange(lead, 0xE1, 0xEC) || inRange(lead, 0xEE, 0xEF)) {
            length = 3;
        } else if (lead == 0xED) {
            length = 3;
            secondHi = 0x9F;
        } else if (lead == 0xF0) {
            length = 4;
            secondLo = 0x90;
        } else if (inRange(lead, 0xF1, 0xF3)) {
            length = 4;
        } else if (lead == 0xF4) {
            length = 4;
            secondHi = 0x8F;
        } else {
            return std::nullopt; // 80..C1 and F5..FF never lead
        }
        if (i + length > bytes.size()) {
            return std::nullopt;
        }
        if (!inRange(at(i + 1), secondLo, secondHi)) {
            return std::nullopt;
        }
        for (std::size_t k = 2; k < length; ++k) {
            if (!inRange(at(i + k), 0x80, 0xBF)) {
                return std::nullopt;
            }
        }
        // The lead keeps 7 - length bits, every continuation byte 6.
        char32_t point = lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            point = (point << 6) | (at(i + k) & 0x3Fu);
        }
        points.push_back(point);
        i += length;
    }
    return points;
}

inline bool IsValidUtf8(std::string_view bytes)
{
    return DecodeStrictUtf8(bytes).has_value();
}

// The code points a UTF-16 text stands for once every surrogate without its
// partner is taken as U+FFFD.
inline std::vector<char32_t> CodePointsOf(std::u16string_view text)
{
    std::vector<char32_t> points;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned unit = text[i];
        const bool high = (unit & 0xFC00u) == 0xD800u;
        const bool low = (unit & 0xFC00u) == 0xDC00u;
        if (high && i + 1 < text.size() && (text[i + 1] & 0xFC00u) == 0xDC00u) {
            const unsigned next = text[i + 1];
            points.push_back(static_cast<char32_t>(0x10000u + (((unit & 0x3FFu) << 10) | (next & 0x3FFu))));
            ++i;
        } else if (high || low) {
            points.push_back(0xFFFD);
        } else {
            points.push_back(unit);
        }
    }
    return points;
}

// Fuzz bytes as UTF-16 text: bytes other than 0x80 are the unit of the same
// value (so ASCII seeds stay readable and Latin-1 blanks such as U+00A0 are
// reachable); 0x80 followed by two bytes is one unit, low byte first, which
// reaches every 16-bit value, surrogates and full-width digits included. An
// escape cut short by the end of the bytes is dropped.
inline std::u16string Widen(std::string_view bytes)
{
    std::u16string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte != 0x80) {
            text.push_back(byte);
        } else if (i + 2 < bytes.size()) {
            const auto low = static_cast<unsigned char>(bytes[i + 1]);
            const auto high = static_cast<unsigned char>(bytes[i + 2]);
            text.push_back(static_cast<char16_t>(low | (high << 8)));
            i += 2;
        } else {
            break;
        }
    }
    return text;
}

// One text taken from the front of the fuzz data (FuzzedDataProvider's
// random-length string: a backslash followed by anything but a backslash
// ends it).
inline std::u16string ConsumeText(FuzzedDataProvider& data, std::size_t maxBytes = 64)
{
    return Widen(data.ConsumeRandomLengthString(maxBytes));
}

// What the reference conversion says about a text.
struct ParseOutcome {
    enum class Kind { Value, Invalid, OutOfRange };
    Kind kind = Kind::Invalid;
    std::uint64_t value = 0;

    bool operator==(const ParseOutcome&) const = default;
};

inline std::string Show(const ParseOutcome& outcome)
{
    switch (outcome.kind) {
    case ParseOutcome::Kind::Value:
        return "value " + std::to_string(outcome.value);
    case ParseOutcome::Kind::Invalid:
        return "invalid argument";
    case ParseOutcome::Kind::OutOfRange:
        return "out of range";
    }
    return "?";
}

// Reference for the strtoul-family conversion of a wide text into `bits`
// (32 or 64) bits. Works on the digit string as text: leading zeros are
// dropped and the rest is compared with the decimal form of the largest value
// before anything is computed.
inline ParseOutcome ReferenceParse(std::u16string_view text, int bits)
{
    std::size_t i = 0;
    while (i < text.size() && std::u16string_view(u" \t\n\v\f\r").find(text[i]) != std::u16string_view::npos) {
        ++i;
    }
    bool minus = false;
    if (i < text.size() && std::u16string_view(u"+-").find(text[i]) != std::u16string_view::npos) {
        minus = text[i] == u'-';
        ++i;
    }
    std::string digits;
    while (i < text.size() && std::u16string_view(u"0123456789").find(text[i]) != std::u16string_view::npos) {
        digits.push_back(static_cast<char>(text[i]));
        ++i;
    }
    if (digits.empty()) {
        return {ParseOutcome::Kind::Invalid, 0};
    }
    const std::size_t firstNonZero = digits.find_first_not_of('0');
    const std::string significant = firstNonZero == std::string::npos ? "" : digits.substr(firstNonZero);
    const std::string largest = bits == 32 ? "4294967295" : "18446744073709551615";
    if (significant.size() > largest.size() || (significant.size() == largest.size() && significant > largest)) {
        return {ParseOutcome::Kind::OutOfRange, 0};
    }
    std::uint64_t magnitude = 0;
    for (const char digit : significant) {
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(digit - '0');
    }
    std::uint64_t value = minus ? (~magnitude + 1) : magnitude; // modulo 2^64
    if (bits == 32) {
        value &= 0xFFFFFFFFu;
    }
    return {ParseOutcome::Kind::Value, value};
}

} // namespace Talvane::Nimlo::Fuzzing
