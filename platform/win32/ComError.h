#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

#include "platform/SystemError.h"

namespace Talvane::Nimlo {

// A COM or WMI call that failed: what was being done, and the HRESULT.
// what() says both: "<action> failed (HRESULT 0x...)".
class ComError : public std::runtime_error {
public:
    ComError(HRESULT result, const std::string& action)
        : ComError(result, action, action + " failed (HRESULT " + HResultText(result) + ")")
    {}

    // A call that reported success but handed back no object: as much a
    // failure as an error code, with E_POINTER for its HRESULT.
    static ComError NoObject(const std::string& action)
    {
        return ComError(E_POINTER, action,
                        action + " reported success but handed back no object (HRESULT " + HResultText(E_POINTER) +
                            ")");
    }

    HRESULT Result() const noexcept { return result_; }
    const std::string& Action() const noexcept { return action_; }

private:
    ComError(HRESULT result, const std::string& action, const std::string& message)
        : std::runtime_error(message)
        , result_(result)
        , action_(action)
    {}

    HRESULT result_;
    std::string action_;
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
