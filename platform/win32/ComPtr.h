#pragma once

#include "platform/UniqueValue.h"

namespace Talvane::Nimlo {

template <typename T> void ReleaseReference(T* reference) noexcept
{
    reference->Release();
}

// Sole owner of one COM reference, released exactly once.
template <typename T> using ComPtr = UniqueValue<T*, &ReleaseReference<T>>;

// ComPtr::put() for calls that take the slot as void** (CoCreateInstance).
template <typename T> void** PutVoid(ComPtr<T>& owner) noexcept
{
    return reinterpret_cast<void**>(owner.put());
}

} // namespace Talvane::Nimlo
