#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "platform/VariantValue.h"

namespace Talvane::Nimlo::Testing {

// One property as WMI may hand it over, and what the parsers must read of it.
struct VariantCase {
    const char* name;
    std::uint16_t tag;
    std::int64_t bits;        // the integer member to fill, for integer tags
    std::u16string text;      // the string member, for VariantTag::Bstr
    bool nullString;          // a VT_BSTR whose string is null
    std::int32_t fetchResult; // what fetching it returned
    std::u16string expectedText;
    std::uint64_t expectedInteger;
};

inline void PrintTo(const VariantCase& row, std::ostream* out)
{
    *out << row.name;
}

inline constexpr std::int32_t NotFound = static_cast<std::int32_t>(0x80041002); // WBEM_E_NOT_FOUND

// Every type WMI can hand back for the properties read.
inline std::vector<VariantCase> VariantCases()
{
    using namespace VariantTag;
    return {
        {"Empty", Empty, 0, {}, false, 0, {}, 0},
        {"Null", Null, 0, {}, false, 0, {}, 0},
        {"Text", Bstr, 0, u"C:", false, 0, u"C:", 0},
        {"TextWithNul", Bstr, 0, std::u16string(u"a\0b", 3), false, 0, std::u16string(u"a\0b", 3), 0},
        {"EmptyText", Bstr, 0, u"", false, 0, u"", 0},
        {"NullString", Bstr, 0, {}, true, 0, {}, 0},
        {"BooleanTrue", Bool, -1, {}, false, 0, {}, 0},
        {"SignedByte", I1, -1, {}, false, 0, {}, 0xFF},
        {"UnsignedByte", UI1, 200, {}, false, 0, {}, 200},
        {"Signed16", I2, -2, {}, false, 0, {}, 0xFFFE},
        {"Unsigned16", UI2, 0xFFFF, {}, false, 0, {}, 0xFFFF},
        {"Signed32", I4, 2400, {}, false, 0, {}, 2400},
        // AdapterRAM of 4 GB less 1 MB, which WMI hands over as a negative VT_I4.
        {"Signed32TopBitSet", I4, -1048576, {}, false, 0, {}, 4293918720u},
        {"Unsigned32", UI4, 0xFFFFFFFF, {}, false, 0, {}, 0xFFFFFFFFu},
        {"Int", Int, -1, {}, false, 0, {}, 0xFFFFFFFFu},
        {"UnsignedInt", UInt, 7, {}, false, 0, {}, 7},
        {"Signed64", I8, 0x100000003, {}, false, 0, {}, 0x100000003u},
        {"Signed64Negative", I8, -2, {}, false, 0, {}, 0xFFFFFFFFFFFFFFFEu},
        {"Unsigned64", UI8, -1, {}, false, 0, {}, 0xFFFFFFFFFFFFFFFFu},
        {"Double", R8, 0, {}, false, 0, {}, 0},
        {"FetchFailedInteger", I4, 5, {}, false, NotFound, {}, 0},
        {"FetchFailedText", Bstr, 0, u"x", false, NotFound, {}, 0},
    };
}

// Fills `variant` (a VARIANT or a stand-in with its member names) with the
// case's integer member; the caller sets the string member.
template <typename Variant> void FillInteger(Variant& variant, const VariantCase& row)
{
    using namespace VariantTag;
    variant.vt = row.tag;
    switch (row.tag) {
    case Bool:
        variant.boolVal = static_cast<std::int16_t>(row.bits);
        break;
    case I1:
        variant.cVal = static_cast<char>(row.bits);
        break;
    case UI1:
        variant.bVal = static_cast<std::uint8_t>(row.bits);
        break;
    case I2:
        variant.iVal = static_cast<std::int16_t>(row.bits);
        break;
    case UI2:
        variant.uiVal = static_cast<std::uint16_t>(row.bits);
        break;
    case I4:
        variant.lVal = static_cast<std::int32_t>(row.bits);
        break;
    case UI4:
        variant.ulVal = static_cast<std::uint32_t>(row.bits);
        break;
    case Int:
        variant.intVal = static_cast<int>(row.bits);
        break;
    case UInt:
        variant.uintVal = static_cast<unsigned>(row.bits);
        break;
    case I8:
        variant.llVal = row.bits;
        break;
    case UI8:
        variant.ullVal = static_cast<std::uint64_t>(row.bits);
        break;
    case R8:
        variant.dblVal = 2.5;
        break;
    default:
        break;
    }
}

// A stand-in for VARIANT where there is none: the same member names, over
// portable types. Its string is held here, with its length.
struct StandInVariant {
    std::uint16_t vt = VariantTag::Empty;
    union {
        char cVal;
        std::uint8_t bVal;
        std::int16_t iVal;
        std::uint16_t uiVal;
        std::int32_t lVal;
        std::uint32_t ulVal;
        int intVal;
        unsigned uintVal;
        std::int64_t llVal;
        std::uint64_t ullVal;
        double dblVal;
        std::int16_t boolVal;
        const char16_t* bstrVal;
    };
    std::u16string storage;

    StandInVariant() : ullVal(0) {}
};

// The conversion, on the stand-in; its string's length is the one it holds.
inline WmiValue ToWmiValue(const StandInVariant& variant, std::int32_t fetchResult)
{
    return Nimlo::ToWmiValue(variant, fetchResult, [&variant](const char16_t*) { return variant.storage.size(); });
}

// A case's property as the stand-in, converted.
inline WmiValue ConvertStandIn(const VariantCase& row)
{
    StandInVariant variant;
    FillInteger(variant, row);
    if (row.tag == VariantTag::Bstr) {
        variant.storage = row.text;
        variant.bstrVal = row.nullString ? nullptr : variant.storage.c_str();
    }
    return ToWmiValue(variant, row.fetchResult);
}

} // namespace Talvane::Nimlo::Testing
