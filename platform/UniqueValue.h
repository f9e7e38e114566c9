#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>

namespace Talvane::Nimlo {

// Sole owner of one handle-like value (a registry key, a COM string, a COM
// reference, a file handle, a descriptor): closed exactly once, by reset, by
// reassignment, or when the owner goes. Each kind is declared in one line from
// its type, the function that closes it and the bits of the value that means
// "none" (0 unless given), for example
//
//     using UniqueKey = UniqueValue<HKEY, &::RegCloseKey>;
//     using UniqueFileHandle = UniqueValue<HANDLE, &::CloseHandle, -1>;
//
// What the close function returns is not looked at: there is nothing an
// owner could do about a value that would not close.
template <typename T, auto Close, std::intptr_t NoneBits = 0> class UniqueValue {
public:
    using Type = T;

    static Type None() noexcept
    {
        if constexpr (std::is_pointer_v<Type>) {
            return reinterpret_cast<Type>(NoneBits); // NOLINT(performance-no-int-to-ptr): a handle's "none"
        } else {
            return static_cast<Type>(NoneBits);
        }
    }

    UniqueValue() noexcept = default;
    explicit UniqueValue(Type value) noexcept : value_(value) {}
    UniqueValue(const UniqueValue&) = delete;
    UniqueValue& operator=(const UniqueValue&) = delete;

    UniqueValue(UniqueValue&& other) noexcept : value_(other.release()) {}

    UniqueValue& operator=(UniqueValue&& other) noexcept
    {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }

    ~UniqueValue() { reset(); }

    Type get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != None(); }

    // For owners of interface pointers.
    Type operator->() const noexcept requires std::is_pointer_v<Type> && std::is_class_v<std::remove_pointer_t<Type>>
    {
        return value_;
    }

    // Closes what is held and hands out the empty slot for a call that
    // returns a new value through a pointer.
    Type* put() noexcept
    {
        reset();
        return &value_;
    }

    // Gives up the value without closing it.
    Type release() noexcept { return std::exchange(value_, None()); }

    // Closes what is held, if anything, and holds `value` instead.
    void reset(Type value = None()) noexcept
    {
        const Type old = std::exchange(value_, value);
        if (old != None()) {
            Close(old);
        }
    }

private:
    Type value_ = None();
};

} // namespace Talvane::Nimlo
