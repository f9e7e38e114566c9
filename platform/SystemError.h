#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
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

// Which system a code comes from: Windows (GetLastError) or POSIX (errno).
enum class CodeKind : std::uint8_t { Win32, Errno };

// The code a system gave for a failure, with the kind of code it is: 5 is
// "access denied" from Windows but "input/output error" from POSIX.
struct SystemCode {
    CodeKind kind = CodeKind::Win32;
    std::uint32_t value = 0;

    static constexpr SystemCode Win32(std::uint32_t code) { return {CodeKind::Win32, code}; }
    static constexpr SystemCode Errno(int code) { return {CodeKind::Errno, static_cast<std::uint32_t>(code)}; }

    bool operator==(const SystemCode&) const = default;
};

// The code as a message says it: "Win32 error 112", "errno 28: No space left on device".
inline std::string DescribeCode(SystemCode code)
{
    if (code.kind == CodeKind::Win32) {
        return "Win32 error " + std::to_string(code.value);
    }
    return "errno " + std::to_string(code.value) + ": " + std::strerror(static_cast<int>(code.value));
}

// `text` and, where the system gave one, its code: "<text> (Win32 error 112)".
inline std::string WithCode(std::string text, std::optional<SystemCode> code)
{
    if (code) {
        text.append(" (").append(DescribeCode(*code)).append(")");
    }
    return text;
}

// A system call that failed: what was being done and the code the system gave
// for it, if it gave one. what() says both, "<what failed> (Win32 error 5)";
// a failure without a code (a write that came up short) says only what failed.
class SystemError : public std::runtime_error {
public:
    SystemError(const std::string& action, std::optional<SystemCode> code)
        : std::runtime_error(WithCode(action, code))
        , code_(code)
        , action_(action)
    {}

    std::optional<SystemCode> Code() const noexcept { return code_; }
    const std::string& Action() const noexcept { return action_; }

private:
    std::optional<SystemCode> code_;
    std::string action_;
};

// A Win32 call that failed, with GetLastError's code (0 where there is none).
class Win32Error : public SystemError {
public:
    Win32Error(std::uint32_t code, const std::string& action)
        : SystemError(action, code != 0 ? std::optional(SystemCode::Win32(code)) : std::nullopt)
    {}
};

} // namespace Talvane::Nimlo
