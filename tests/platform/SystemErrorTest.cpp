#include "platform/SystemError.h"

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

// One number means different things to Windows and to POSIX: a message says which it is.
TEST(SystemErrorTest, ACodeIsSaidAsTheKindOfCodeItIs)
{
    EXPECT_EQ(WithCode("could not be written", SystemCode::Win32(112)), "could not be written (Win32 error 112)");
    EXPECT_EQ(WithCode("could not be written", SystemCode::Errno(28)),
              "could not be written (errno 28: No space left on device)");
    EXPECT_EQ(WithCode("could not be written", std::nullopt), "could not be written");
    EXPECT_STREQ(Win32Error(5, "Handle is null!").what(), "Handle is null! (Win32 error 5)");
    EXPECT_FALSE(Win32Error(0, "the report template could not be loaded").Code());
}

} // namespace
} // namespace Talvane::Nimlo
