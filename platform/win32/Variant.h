#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include <cstdint>
#include <cstring>

#include "platform/VariantValue.h"

namespace Talvane::Nimlo {

// Sole owner of one VARIANT, cleared exactly once.
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

    const VARIANT& get() const noexcept { return value_; }

private:
    // All zero bytes, then VT_EMPTY.
    void Reset() noexcept
    {
        std::memset(&value_, 0, sizeof value_);
        VariantInit(&value_);
    }

    VARIANT value_;
};

// The tags the conversion reads are the platform's own.
static_assert(VariantTag::Empty == VT_EMPTY && VariantTag::Null == VT_NULL && VariantTag::I2 == VT_I2 &&
              VariantTag::I4 == VT_I4 && VariantTag::R8 == VT_R8 && VariantTag::Bstr == VT_BSTR &&
              VariantTag::Bool == VT_BOOL && VariantTag::I1 == VT_I1 && VariantTag::UI1 == VT_UI1 &&
              VariantTag::UI2 == VT_UI2 && VariantTag::UI4 == VT_UI4 && VariantTag::I8 == VT_I8 &&
              VariantTag::UI8 == VT_UI8 && VariantTag::Int == VT_INT && VariantTag::UInt == VT_UINT);

// The one conversion of a property fetched from WMI: `fetchResult` is what
// IWbemClassObject::Get returned for it.
inline WmiValue ToWmiValue(const VARIANT& fetched, HRESULT fetchResult)
{
    return ToWmiValue(fetched, static_cast<std::int32_t>(fetchResult), [](BSTR text) { return SysStringLen(text); });
}

} // namespace Talvane::Nimlo
