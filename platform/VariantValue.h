#pragma once

#include <cstdint>
#include <string>

#include "platform/Wmi.h"

namespace Talvane::Nimlo {

// Type tags of an OLE Automation VARIANT, numbered as Windows numbers them.
namespace VariantTag {
inline constexpr std::uint16_t Empty = 0;
inline constexpr std::uint16_t Null = 1;
inline constexpr std::uint16_t I2 = 2;
inline constexpr std::uint16_t I4 = 3;
inline constexpr std::uint16_t R8 = 5;
inline constexpr std::uint16_t Bstr = 8;
inline constexpr std::uint16_t Bool = 11;
inline constexpr std::uint16_t I1 = 16;
inline constexpr std::uint16_t UI1 = 17;
inline constexpr std::uint16_t UI2 = 18;
inline constexpr std::uint16_t UI4 = 19;
inline constexpr std::uint16_t I8 = 20;
inline constexpr std::uint16_t UI8 = 21;
inline constexpr std::uint16_t Int = 22;
inline constexpr std::uint16_t UInt = 23;
} // namespace VariantTag

// Turns a fetched property into the value the parsers read. `variant` is a
// VARIANT, or anything laid out with the same member names; `stringLength`
// gives the length in characters of its string member (SysStringLen).
//
// The value is read through the member its type tag names and no other. A
// fetch that failed gives empty text and 0, whatever the variant holds; a
// null string gives empty text. Integers keep their own width's bits, widened
// without sign extension, so nothing is cut and nothing turns negative.
template <typename Variant, typename StringLength>
WmiValue ToWmiValue(const Variant& variant, std::int32_t fetchResult, StringLength stringLength)
{
    WmiValue value;
    value.fetchResult = fetchResult;
    if (fetchResult < 0) {
        return value;
    }
    switch (variant.vt) {
    case VariantTag::Bstr:
        if (variant.bstrVal != nullptr) {
            // The platform's 16-bit characters are UTF-16 code units.
            const auto* characters = reinterpret_cast<const char16_t*>(variant.bstrVal);
            value.text.assign(characters, stringLength(variant.bstrVal));
        }
        break;
    case VariantTag::I1:
        value.integer = static_cast<std::uint8_t>(variant.cVal);
        break;
    case VariantTag::UI1:
        value.integer = variant.bVal;
        break;
    case VariantTag::I2:
        value.integer = static_cast<std::uint16_t>(variant.iVal);
        break;
    case VariantTag::UI2:
        value.integer = variant.uiVal;
        break;
    case VariantTag::I4:
        value.integer = static_cast<std::uint32_t>(variant.lVal);
        break;
    case VariantTag::UI4:
        value.integer = static_cast<std::uint32_t>(variant.ulVal);
        break;
    case VariantTag::Int:
        value.integer = static_cast<std::uint32_t>(variant.intVal);
        break;
    case VariantTag::UInt:
        value.integer = static_cast<std::uint32_t>(variant.uintVal);
        break;
    case VariantTag::I8:
        value.integer = static_cast<std::uint64_t>(variant.llVal);
        break;
    case VariantTag::UI8:
        value.integer = static_cast<std::uint64_t>(variant.ullVal);
        break;
    default:
        break;
    }
    return value;
}

} // namespace Talvane::Nimlo
