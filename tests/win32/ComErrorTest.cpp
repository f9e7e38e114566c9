#include "platform/win32/ComError.h"

#include <string>

#include <gtest/gtest.h>

namespace Talvane::Nimlo {
namespace {

// What ThrowIfFailedOrNull made of a call's outcome: "" when it let it pass.
std::string Outcome(HRESULT result, const void* object, HRESULT* thrown = nullptr)
{
    try {
        ThrowIfFailedOrNull(result, object, "Creating the thing");
    } catch (const ComError& error) {
        if (thrown != nullptr) {
            EXPECT_EQ(error.Code()->kind, CodeKind::HResult);
            *thrown = static_cast<HRESULT>(error.Code()->value);
        }
        return error.what();
    }
    return "";
}

TEST(ComErrorTest, AFailureKeepsItsCodeAndWhatWasBeingDone)
{
    HRESULT thrown = S_OK;
    EXPECT_EQ(Outcome(static_cast<HRESULT>(0x80041003), nullptr, &thrown),
              "Creating the thing failed (HRESULT 0x80041003)");
    EXPECT_EQ(thrown, static_cast<HRESULT>(0x80041003));
}

TEST(ComErrorTest, SuccessWithoutTheObjectIsAFailure)
{
    HRESULT thrown = S_OK;
    EXPECT_EQ(Outcome(S_OK, nullptr, &thrown),
              "Creating the thing reported success but handed back no object (HRESULT 0x80004003)");
    EXPECT_EQ(thrown, E_POINTER);
    EXPECT_NE(Outcome(S_FALSE, nullptr), "");
}

TEST(ComErrorTest, SuccessWithTheObjectPasses)
{
    const int object = 0;
    EXPECT_EQ(Outcome(S_OK, &object), "");
    EXPECT_EQ(Outcome(S_FALSE, &object), "");
}

// A COM failure is a system error like any other: what failed and its code.
TEST(ComErrorTest, AStringThatCannotBeMadeIsASystemErrorWithOutOfMemory)
{
    try {
        throw CAtlException(E_OUTOFMEMORY);
    } catch (const SystemError& error) {
        EXPECT_EQ(error.Code(), SystemCode::HResult(E_OUTOFMEMORY));
        EXPECT_EQ(error.Text(), "Making a COM string failed");
        EXPECT_EQ(std::string(error.what()), "Making a COM string failed (HRESULT 0x8007000E)");
    }
}

} // namespace
} // namespace Talvane::Nimlo
