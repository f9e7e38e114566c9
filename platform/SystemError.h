#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace Talvane::Nimlo {

// Which system a code comes from: Windows (GetLastError), POSIX (errno) or
// COM and WMI (an HRESULT).
enum class CodeKind : std::uint8_t { Win32, Errno, HResult };

// The code a system gave for a failure, with the kind of code it is: 5 is
// "access denied" from Windows but "input/output error" from POSIX.
struct SystemCode {
    CodeKind kind = CodeKind::Win32;
    std::uint32_t value = 0;

    static constexpr SystemCode Win32(std::uint32_t code) { return {CodeKind::Win32, code}; }
    static constexpr SystemCode Errno(int code) { return {CodeKind::Errno, static_cast<std::uint32_t>(code)}; }
    static constexpr SystemCode HResult(std::int32_t code)
    {
        return {CodeKind::HResult, static_cast<std::uint32_t>(code)};
    }

    bool operator==(const SystemCode&) const = default;
};

// The code as every message says it, the same on any thread: "Win32 error
// 112", "errno 28: No space left on device" (the number alone for an errno
// without words here), "HRESULT 0x80041003"; without an errno's words where
// words of the caller's own say what it means already.
enum class ErrnoWords : std::uint8_t { Said, LeftOut };
std::string DescribeCode(SystemCode code, ErrnoWords words = ErrnoWords::Said);

// `text` and, where the system gave one, its code: "<text> (Win32 error
// 112)"; the code alone where there is no text.
std::string WithCode(std::string text, std::optional<SystemCode> code);

// What a failure means where the caller acts on it, whatever the code that
// says it on this platform: a name already taken (so another may do), a
// file that another program holds open (which may pass in a moment).
enum class Condition : std::uint8_t { Other, NameTaken, InUse };

// The one error of the system's calls, thrown where a step cannot go on and
// handed back in a Result where a seam says why it has no value: what
// failed, or the words a user knows the failure by, and the code the system
// gave, if it gave one.
class SystemError : public std::runtime_error {
public:
    // What failed, and the system's code: what() says both, "<action> (Win32
    // error 5)"; a failure without a code (a write that came up short) says
    // only what failed.
    explicit SystemError(const std::string& action, std::optional<SystemCode> code = std::nullopt)
        : SystemError(WithCode(action, code), action, code, Condition::Other)
    {}

    // A call that failed with `code`, as a user is told it: the words a user
    // knows it by, where there are some, and the code's number after them
    // ("permission denied (errno 13)"); the code alone where there are none
    // ("errno 5: Input/output error", "Win32 error 64").
    static SystemError OfCall(SystemCode code, const std::string& words = "", Condition condition = Condition::Other)
    {
        std::string said =
            words.empty() ? DescribeCode(code) : words + " (" + DescribeCode(code, ErrnoWords::LeftOut) + ")";
        return SystemError(said, words, code, condition);
    }

    // A Win32 call that failed, with GetLastError's code (0 where there is none).
    static SystemError Win32(std::uint32_t code, const std::string& action)
    {
        return SystemError(action, code != 0 ? std::optional(SystemCode::Win32(code)) : std::nullopt);
    }

    std::optional<SystemCode> Code() const noexcept { return code_; }
    // What failed, or the words of a call's failure (none where it has none).
    const std::string& Text() const noexcept { return text_; }
    bool Is(Condition condition) const noexcept { return condition_ == condition; }

private:
    SystemError(const std::string& said, const std::string& text, std::optional<SystemCode> code, Condition condition)
        : std::runtime_error(said)
        , code_(code)
        , text_(text)
        , condition_(condition)
    {}

    std::optional<SystemCode> code_;
    std::string text_;
    Condition condition_;
};

} // namespace Talvane::Nimlo
