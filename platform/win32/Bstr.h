#pragma once

#include <oleauto.h>
#include <windows.h>

#include <string>
#include <utility>

#include "platform/win32/ComError.h"

namespace Talvane::Nimlo {

// Sole owner of one COM string (BSTR), freed exactly once.
class Bstr {
public:
    Bstr() noexcept = default;
    explicit Bstr(BSTR owned) noexcept : text_(owned) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    Bstr(Bstr&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}

    Bstr& operator=(Bstr&& other) noexcept
    {
        if (this != &other) {
            SysFreeString(text_);
            text_ = std::exchange(other.text_, nullptr);
        }
        return *this;
    }

    ~Bstr() { SysFreeString(text_); }

    BSTR get() const noexcept { return text_; }
    explicit operator bool() const noexcept { return text_ != nullptr; }

    // Converts narrow text in the thread's ANSI code page. An empty text gives
    // a string of length 0. Throws CAtlException(E_OUTOFMEMORY) when the
    // string cannot be made.
    static Bstr FromNarrow(const std::string& text)
    {
        const int count = MultiByteToWideChar(CP_THREAD_ACP, 0, text.c_str(), -1, nullptr, 0);
        if (count <= 0) {
            throw CAtlException(E_OUTOFMEMORY);
        }
        // `count` includes the terminator; SysAllocStringLen adds its own.
        Bstr result(SysAllocStringLen(nullptr, static_cast<UINT>(count - 1)));
        if (!result) {
            throw CAtlException(E_OUTOFMEMORY);
        }
        if (MultiByteToWideChar(CP_THREAD_ACP, 0, text.c_str(), -1, result.text_, count) != count) {
            throw CAtlException(E_OUTOFMEMORY);
        }
        return result;
    }

private:
    BSTR text_ = nullptr;
};

} // namespace Talvane::Nimlo
