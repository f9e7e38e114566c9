#pragma once

#include <windows.h>

#include <string>

#include "platform/SystemError.h"

namespace Talvane::Nimlo {

// A COM or WMI call that failed: what was being done, and the HRESULT.
// what() says both: "<action> failed (HRESULT 0x...)".
class ComError : public SystemError {
public:
    ComError(HRESULT result, const std::string& action) : SystemError(action + " failed", SystemCode::HResult(result))
    {}

    // A call that reported success but handed back no object: as much a
    // failure as an error code, with E_POINTER for its HRESULT.
    static ComError NoObject(const std::string& action)
    {
        return ComError(action + " reported success but handed back no object", E_POINTER);
    }

private:
    ComError(const std::string& text, HRESULT result) : SystemError(text, SystemCode::HResult(result)) {}
};

// Raised when a COM string cannot be made; carries E_OUTOFMEMORY.
class CAtlException : public ComError {
public:
    explicit CAtlException(HRESULT result) : ComError(result, "Making a COM string") {}
};

// Throws ComError when `result` is a failure code.
inline void ThrowIfFailed(HRESULT result, const std::string& action)
{
    if (FAILED(result)) {
        throw ComError(result, action);
    }
}

// Throws ComError when `result` is a failure code, or when it is not but the
// call left its object out.
inline void ThrowIfFailedOrNull(HRESULT result, const void* object, const std::string& action)
{
    ThrowIfFailed(result, action);
    if (object == nullptr) {
        throw ComError::NoObject(action);
    }
}

} // namespace Talvane::Nimlo
