#pragma once

#include <objbase.h>
#include <windows.h>

namespace Talvane::Nimlo {

// COM on the calling thread for the owner's lifetime. CoUninitialize runs
// once, and only when CoInitializeEx succeeded (S_FALSE included): when the
// thread already has another apartment (RPC_E_CHANGED_MODE) its owner keeps it.
class ComInit {
public:
    explicit ComInit(COINIT model) noexcept : result_(CoInitializeEx(nullptr, static_cast<DWORD>(model))) {}
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;

    ~ComInit()
    {
        if (SUCCEEDED(result_)) {
            CoUninitialize();
        }
    }

    HRESULT Result() const noexcept { return result_; }

private:
    HRESULT result_;
};

} // namespace Talvane::Nimlo
