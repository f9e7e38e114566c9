#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace Talvane::Nimlo {

// An HRESULT as the documentation writes it, e.g. "0x8007000E".
inline std::string HResultText(std::int32_t result)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(static_cast<std::uint32_t>(result)));
    return text;
}

// `text` and, where the system gave one, its code: "<text> (Win32 error <code>)".
inline std::string WithWin32Code(std::string text, std::uint32_t code)
{
    if (code != 0) {
        text.append(" (Win32 error ").append(std::to_string(code)).append(")");
    }
    return text;
}

// A system call that failed, with the error code the system gave for it
// (GetLastError) and what was being done. what() says both:
// "<what failed> (Win32 error <code>)"; a failure the system gave no code for
// (a write that came up short) says only what failed.
class Win32Error : public std::runtime_error {
public:
    Win32Error(std::uint32_t code, const std::string& action)
        : std::runtime_error(Describe(code, action))
        , code_(code)
        , action_(action)
    {}

    std::uint32_t Code() const noexcept { return code_; }
    const std::string& Action() const noexcept { return action_; }

private:
    static std::string Describe(std::uint32_t code, const std::string& action) { return WithWin32Code(action, code); }

    std::uint32_t code_;
    std::string action_;
};

} // namespace Talvane::Nimlo
