#pragma once

#include <windows.h>

#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>

namespace Talvane::Nimlo {

// An HRESULT as the documentation writes it, e.g. "0x8007000E".
inline std::string HResultText(HRESULT result)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(result));
    return text;
}

// Throws std::runtime_error("<action> failed (HRESULT 0x...)") when `result`
// is a failure code.
inline void ThrowIfFailed(HRESULT result, const std::string& action)
{
    if (FAILED(result)) {
        throw std::runtime_error(action + " failed (HRESULT " + HResultText(result) + ")");
    }
}

// Raised when a COM string cannot be made; carries E_OUTOFMEMORY.
class CAtlException : public std::exception {
public:
    explicit CAtlException(HRESULT result)
        : result_(result)
        , message_("out of memory (HRESULT " + HResultText(result) + ")")
    {}

    HRESULT Result() const noexcept { return result_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    HRESULT result_;
    std::string message_;
};

} // namespace Talvane::Nimlo
