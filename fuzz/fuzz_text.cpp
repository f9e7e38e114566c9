// Fuzz target for the text layer: the unsigned conversions, the operating
// system version parser, the UTF-16 to UTF-8 conversion and the fixed-point
// formatting. The first byte selects the operation; the rest is its input.
//
//   0  ParseUnsigned32/64, TryParseUnsigned64  rest: one text (see Widen)
//   1  ToUtf8                                  rest: raw UTF-16 units, low byte first
//   2  FormatFixed                             rest: 8 bytes of a double, 1 byte of digits
//   3  OSInfoWmiQuery::ParseVersion            rest: version text, then service-pack text

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "FuzzParse.h"
#include "FuzzSupport.h"
#include "sysinfo/WmiQueries.h"
#include "text/NumberFormat.h"
#include "text/NumberParse.h"
#include "text/Utf8.h"

using namespace Talvane::Nimlo;
using namespace Talvane::Nimlo::Fuzzing;

namespace {

// The C library's strtoull on a narrow copy of the text. Units outside ASCII
// become '?' so that they can neither be taken as digits nor as blanks; the
// product reads those units the same way. Only the 64-bit conversion is
// compared: strtoul's range depends on the width of long.
ParseOutcome CLibraryParse64(std::u16string_view text)
{
    std::string narrow;
    for (const char16_t unit : text) {
        narrow.push_back(unit != 0 && unit < 0x80 ? static_cast<char>(unit) : '?');
    }
    const char* begin = narrow.c_str();
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(begin, &end, 10);
    // strtoull also accepts no digits at all after a sign and blanks, which
    // it reports by not moving the end.
    if (end == begin) {
        return {ParseOutcome::Kind::Invalid, 0};
    }
    if (errno == ERANGE) {
        return {ParseOutcome::Kind::OutOfRange, 0};
    }
    return {ParseOutcome::Kind::Value, value};
}

void FuzzUnsignedParsing(FuzzedDataProvider& data)
{
    const std::u16string text = Widen(data.ConsumeRemainingBytesAsString());

    const ParseOutcome expected32 = ReferenceParse(text, 32);
    const ParseOutcome actual32 = Observe32(text);
    FUZZ_CHECK(actual32 == expected32, Show(text) + ": got " + Show(actual32) + ", expected " + Show(expected32));

    const ParseOutcome expected64 = ReferenceParse(text, 64);
    const ParseOutcome actual64 = Observe64(text);
    FUZZ_CHECK(actual64 == expected64, Show(text) + ": got " + Show(actual64) + ", expected " + Show(expected64));

    // The non-throwing form is empty exactly where the throwing one raises.
    const std::optional<std::uint64_t> tried = TryParseUnsigned64(text);
    FUZZ_CHECK(tried.has_value() == (expected64.kind == ParseOutcome::Kind::Value) &&
                   (!tried || *tried == expected64.value),
               Show(text) + ": TryParseUnsigned64 disagrees with " + Show(expected64));

    const ParseOutcome library64 = CLibraryParse64(text);
    FUZZ_CHECK(actual64 == library64, Show(text) + ": got " + Show(actual64) + ", strtoull says " + Show(library64));

    // A value that fits 32 bits without a sign reads the same either way.
    if (actual64.kind == ParseOutcome::Kind::Value && actual32.kind == ParseOutcome::Kind::Value) {
        FUZZ_CHECK((actual64.value & 0xFFFFFFFFu) == actual32.value, Show(text));
    }
}

void FuzzToUtf8(FuzzedDataProvider& data)
{
    const std::string raw = data.ConsumeRemainingBytesAsString();
    std::u16string text;
    for (std::size_t i = 0; i + 1 < raw.size(); i += 2) {
        text.push_back(
            static_cast<char16_t>(static_cast<unsigned char>(raw[i]) | (static_cast<unsigned char>(raw[i + 1]) << 8)));
    }

    const std::string utf8 = ToUtf8(text);
    const auto decoded = DecodeStrictUtf8(utf8);
    FUZZ_CHECK(decoded.has_value(), Show(text) + " gave invalid UTF-8 " + Show(utf8));
    FUZZ_CHECK(*decoded == CodePointsOf(text), Show(text) + " gave " + Show(utf8));

    // Never longer than three bytes per unit (a pair takes four bytes for two).
    FUZZ_CHECK(utf8.size() <= 3 * text.size(), Show(text));
    // Pure ASCII goes through byte for byte.
    bool ascii = true;
    for (const char16_t unit : text) {
        ascii = ascii && unit < 0x80;
    }
    if (ascii) {
        FUZZ_CHECK(utf8.size() == text.size(), Show(text));
    }
}

// Reference for FormatFixed: glibc's printf writes the exact binary value
// when asked for enough digits; the rounding half away from zero is done here
// on that digit string.
std::string ReferenceFixed(double value, int digits)
{
    std::vector<char> buffer(2000);
    const int length = std::snprintf(buffer.data(), buffer.size(), "%.1100f", std::fabs(value));
    std::string exact(buffer.data(), static_cast<std::size_t>(length));

    const std::size_t point = exact.find('.');
    std::string integer = exact.substr(0, point);
    std::string fraction = exact.substr(point + 1);
    const bool up = fraction[static_cast<std::size_t>(digits)] >= '5';
    std::string kept = integer + fraction.substr(0, static_cast<std::size_t>(digits));
    if (up) {
        std::size_t i = kept.size();
        while (i > 0 && kept[i - 1] == '9') {
            kept[--i] = '0';
        }
        if (i == 0) {
            kept.insert(kept.begin(), '1');
        } else {
            ++kept[i - 1];
        }
    }
    const std::size_t integerDigits = kept.size() - static_cast<std::size_t>(digits);
    std::string out = std::signbit(value) ? "-" : "";
    out += kept.substr(0, integerDigits);
    if (digits > 0) {
        out += "." + kept.substr(integerDigits);
    }
    return out;
}

void FuzzFormatFixed(FuzzedDataProvider& data)
{
    std::uint64_t bits = 0;
    const std::vector<std::uint8_t> bytes = data.ConsumeBytes<std::uint8_t>(8);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bits |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
    }
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    const int digits = data.ConsumeIntegralInRange(0, 2);

    const std::u16string text = FormatFixed(value, digits);
    if (std::isnan(value) || std::isinf(value)) {
        return; // spelled like the C library; covered by the unit tests
    }
    std::string narrow;
    for (const char16_t unit : text) {
        FUZZ_CHECK(unit < 0x80, Show(text));
        narrow.push_back(static_cast<char>(unit));
    }
    const std::string expected = ReferenceFixed(value, digits);
    char shown[64];
    std::snprintf(shown, sizeof shown, "%a with %d digits", value, digits);
    FUZZ_CHECK(narrow == expected, std::string(shown) + ": got " + narrow + ", expected " + expected);
}

// Reference for ParseVersion, step by step: the pieces before the first and
// second ".", then the number left when "Service Pack" is cut out of the
// service-pack text. The product documents that "Service Pack" without a
// number gives 0; a number that does not fit still raises.
void FuzzParseVersion(FuzzedDataProvider& data)
{
    const std::u16string version = ConsumeText(data, 48);
    const std::u16string servicePack = Widen(data.ConsumeRemainingBytesAsString());

    const std::size_t firstDot = version.find(u'.');
    const std::u16string majorPiece = version.substr(0, firstDot);
    const std::u16string afterMajor = firstDot == std::u16string::npos ? u"" : version.substr(firstDot + 1);
    const std::u16string minorPiece = afterMajor.substr(0, afterMajor.find(u'.'));

    struct Expected {
        ParseOutcome::Kind error = ParseOutcome::Kind::Value;
        OSVersion numbers;
    } expected;
    const ParseOutcome major = ReferenceParse(majorPiece, 32);
    const ParseOutcome minor = ReferenceParse(minorPiece, 32);
    if (major.kind != ParseOutcome::Kind::Value) {
        expected.error = major.kind;
    } else if (minor.kind != ParseOutcome::Kind::Value) {
        expected.error = minor.kind;
    } else {
        expected.numbers.major = static_cast<std::uint32_t>(major.value);
        expected.numbers.minor = static_cast<std::uint32_t>(minor.value);
        const std::u16string marker = u"Service Pack";
        const std::size_t at = servicePack.find(marker);
        if (at != std::u16string::npos) {
            const std::u16string rest = servicePack.substr(0, at) + servicePack.substr(at + marker.size());
            const ParseOutcome number = ReferenceParse(rest, 32);
            if (number.kind == ParseOutcome::Kind::OutOfRange) {
                expected.error = number.kind;
            } else {
                expected.numbers.servicePack = static_cast<std::uint32_t>(number.value); // 0 when invalid
            }
        }
    }

    const std::string shown = Show(version) + ", " + Show(servicePack);
    OSVersion actual;
    const ParseOutcome outcome = Observe(
        [&] {
            actual = OSInfoWmiQuery::ParseVersion(version, servicePack);
            return 0;
        },
        "invalid stoul argument", "stoul argument out of range");
    FUZZ_CHECK(outcome.kind == expected.error, shown + ": got " + Show(outcome));
    if (outcome.kind == ParseOutcome::Kind::Value) {
        FUZZ_CHECK(actual == expected.numbers, shown + ": got " + std::to_string(actual.major) + "." +
                                                   std::to_string(actual.minor) + " SP " +
                                                   std::to_string(actual.servicePack));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    FuzzedDataProvider data(bytes + 1, size - 1);
    switch (bytes[0] % 4) {
    case 0:
        FuzzUnsignedParsing(data);
        break;
    case 1:
        FuzzToUtf8(data);
        break;
    case 2:
        FuzzFormatFixed(data);
        break;
    default:
        FuzzParseVersion(data);
        break;
    }
    return 0;
}
