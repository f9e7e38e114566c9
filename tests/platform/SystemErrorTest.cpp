#include "platform/SystemError.h"

#include <cerrno>
#include <cstring>

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

// One number means different things to Windows, POSIX and COM: a message says
// which it is, an errno with glibc's words where the table has them (errno's
// numbers are the platform's own).
TEST(SystemErrorTest, EveryKindOfCodeIsSaidAsWhatItIs)
{
    struct Case {
        SystemCode code;
        std::string said;
        std::string number; // where words of the caller's own say what it means
    };
    const auto ErrnoCase = [](int code, const char* words) {
        const std::string number = "errno " + std::to_string(code);
        return Case{SystemCode::Errno(code), words[0] != 0 ? number + ": " + words : number, number};
    };
    const Case cases[] = {
        {SystemCode::Win32(5), "Win32 error 5", "Win32 error 5"},
        {SystemCode::Win32(0xFFFFFFFF), "Win32 error 4294967295", "Win32 error 4294967295"},
        ErrnoCase(ENOSPC, "No space left on device"),
        ErrnoCase(EACCES, "Permission denied"),
        ErrnoCase(EPERM, "Operation not permitted"),
        ErrnoCase(ELOOP, "Too many levels of symbolic links"),
        ErrnoCase(ENOTCONN, "Transport endpoint is not connected"),
        ErrnoCase(EAGAIN, "Resource temporarily unavailable"),
        ErrnoCase(ECONNRESET, "Connection reset by peer"),
        ErrnoCase(4000, ""),
        {SystemCode::HResult(static_cast<std::int32_t>(0x80041003)), "HRESULT 0x80041003", "HRESULT 0x80041003"},
        {SystemCode::HResult(0x1), "HRESULT 0x00000001", "HRESULT 0x00000001"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DescribeCode(c.code), c.said);
        EXPECT_EQ(DescribeCode(c.code, ErrnoWords::LeftOut), c.number);
    }
}

#ifdef __GLIBC__
// The words are glibc's, to the letter, wherever the table has some.
TEST(SystemErrorTest, AnErrnosWordsAreGlibcsOwn)
{
    int worded = 0;
    for (int code = 1; code < 200; ++code) {
        const std::string number = "errno " + std::to_string(code);
        const std::string said = DescribeCode(SystemCode::Errno(code));
        if (said != number) {
            EXPECT_EQ(said, number + ": " + std::strerror(code));
            ++worded;
        }
    }
    EXPECT_GE(worded, 30);
}
#endif

TEST(SystemErrorTest, WhatFailedOrTheWordsOfAFailureComeBeforeTheCode)
{
    EXPECT_EQ(WithCode("could not be written", SystemCode::Errno(ENOSPC)),
              "could not be written (errno " + std::to_string(ENOSPC) + ": No space left on device)");
    EXPECT_EQ(WithCode("could not be written", std::nullopt), "could not be written");
    EXPECT_STREQ(SystemError("Handle is null!", SystemCode::Win32(5)).what(), "Handle is null! (Win32 error 5)");
    EXPECT_STREQ(SystemError::Win32(5, "Handle is null!").what(), "Handle is null! (Win32 error 5)");
    EXPECT_FALSE(SystemError::Win32(0, "the report template could not be loaded").Code());
    EXPECT_STREQ(SystemError::OfCall(SystemCode::Errno(13), "permission denied").what(),
                 "permission denied (errno 13)");
    EXPECT_STREQ(SystemError::OfCall(SystemCode::Errno(EIO)).what(), "errno 5: Input/output error");
    EXPECT_STREQ(SystemError::OfCall(SystemCode::Win32(64)).what(), "Win32 error 64");
    const SystemError taken = SystemError::OfCall(SystemCode::Errno(EEXIST), "", Condition::NameTaken);
    EXPECT_TRUE(taken.Is(Condition::NameTaken));
    EXPECT_FALSE(taken.Is(Condition::InUse));
}

} // namespace
} // namespace Talvane::Nimlo
