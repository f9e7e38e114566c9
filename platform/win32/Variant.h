#pragma once

#include <oleauto.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/win32/WideString.h"

namespace Talvane::Nimlo {

// Sole owner of one VARIANT, cleared exactly once. Its value is read through
// the member that matches its type tag and no other.
class Variant {
public:
    Variant() noexcept { Reset(); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    Variant(Variant&& other) noexcept : value_(other.value_) { other.Reset(); }

    Variant& operator=(Variant&& other) noexcept
    {
        if (this != &other) {
            VariantClear(&value_);
            value_ = other.value_;
            other.Reset();
        }
        return *this;
    }

    ~Variant() { VariantClear(&value_); }

    // Clears what is held and hands out the empty value for a call that fills it.
    VARIANT* put() noexcept
    {
        VariantClear(&value_);
        Reset();
        return &value_;
    }

    VARTYPE Type() const noexcept { return value_.vt; }

    // The text of a VT_BSTR value (a null string is empty); empty for any
    // other type.
    std::u16string Text() const
    {
        if (value_.vt != VT_BSTR || value_.bstrVal == nullptr) {
            return {};
        }
        return FromWide(value_.bstrVal, SysStringLen(value_.bstrVal));
    }

    // The 32 bits of an integer value (signed types sign-extended to 32 bits,
    // 64-bit types cut to their low 32 bits); 0 for any other type.
    std::uint32_t Integer() const noexcept
    {
        switch (value_.vt) {
        case VT_I1:
            return static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(value_.cVal)));
        case VT_UI1:
            return value_.bVal;
        case VT_I2:
            return static_cast<std::uint32_t>(static_cast<std::int32_t>(value_.iVal));
        case VT_UI2:
            return value_.uiVal;
        case VT_I4:
            return static_cast<std::uint32_t>(value_.lVal);
        case VT_UI4:
            return static_cast<std::uint32_t>(value_.ulVal);
        case VT_INT:
            return static_cast<std::uint32_t>(value_.intVal);
        case VT_UINT:
            return static_cast<std::uint32_t>(value_.uintVal);
        case VT_I8:
            return static_cast<std::uint32_t>(static_cast<std::uint64_t>(value_.llVal));
        case VT_UI8:
            return static_cast<std::uint32_t>(value_.ullVal);
        default:
            return 0;
        }
    }

private:
    // All zero bytes, then VT_EMPTY.
    void Reset() noexcept
    {
        std::memset(&value_, 0, sizeof value_);
        VariantInit(&value_);
    }

    VARIANT value_;
};

} // namespace Talvane::Nimlo
