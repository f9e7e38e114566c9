#pragma once

#include <utility>

namespace Talvane::Nimlo {

// Sole owner of one COM reference: released exactly once, on reset, on
// reassignment or when the owner goes away.
template <typename T> class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}

    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other) {
            reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }

    ~ComPtr() { reset(); }

    T* get() const noexcept { return pointer_; }
    T* operator->() const noexcept { return pointer_; }
    explicit operator bool() const noexcept { return pointer_ != nullptr; }

    // Releases what is held and hands out the empty slot for a call that
    // returns a new reference.
    T** put() noexcept
    {
        reset();
        return &pointer_;
    }

    // put() for calls that take the slot as void** (CoCreateInstance).
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    void reset() noexcept
    {
        if (T* held = std::exchange(pointer_, nullptr)) {
            held->Release();
        }
    }

private:
    T* pointer_ = nullptr;
};

} // namespace Talvane::Nimlo
