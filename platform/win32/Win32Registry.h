#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Registry.h"

namespace Talvane::Nimlo {

// The one owner of an open registry key; closes it exactly once.
class UniqueKey {
public:
    UniqueKey() noexcept = default;
    explicit UniqueKey(HKEY key) noexcept : key_(key) {}
    ~UniqueKey() { reset(); }

    UniqueKey(UniqueKey&& other) noexcept : key_(other.release()) {}
    UniqueKey& operator=(UniqueKey&& other) noexcept
    {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueKey(const UniqueKey&) = delete;
    UniqueKey& operator=(const UniqueKey&) = delete;

    HKEY get() const noexcept { return key_; }
    explicit operator bool() const noexcept { return key_ != nullptr; }

    // Closes the key held, if any, and hands out the slot for a new one.
    HKEY* put() noexcept
    {
        reset();
        return &key_;
    }

    HKEY release() noexcept
    {
        const HKEY key = key_;
        key_ = nullptr;
        return key;
    }

    void reset(HKEY key = nullptr) noexcept
    {
        if (key_ != nullptr) {
            ::RegCloseKey(key_);
        }
        key_ = key;
    }

private:
    HKEY key_ = nullptr;
};

// HKEY_LOCAL_MACHINE of the machine the program runs on.
class Win32Registry : public Registry {
public:
    bool IsWow64Process() override;
    KeyOpen OpenLocalMachineKey(const std::u16string& path, std::uint32_t accessMask) override;
};

} // namespace Talvane::Nimlo
