// Every owner declared from UniqueValue, each with a real value of its kind and
// its real close function, counted on the way: moved, reset, released and put,
// the value is closed exactly once. Natively the owners of this platform are
// tested; under Windows those of the Windows side.

#include "platform/UniqueValue.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <objbase.h>
#include <windows.h>

#include "platform/win32/Bstr.h"
#include "platform/win32/ComPtr.h"
#include "platform/win32/UniqueFileHandle.h"
#include "platform/win32/Win32Registry.h"
#else
#include <unistd.h>

#include "platform/posix/UniqueDescriptor.h"
#include "platform/posix/UniqueDirectory.h"
#endif

namespace Talvane::Nimlo {
namespace {

// The owner `Owner` again, with a close function that counts each value it
// closes before it hands it to the real one.
template <typename Owner> struct Counting;
template <typename T, auto Close, std::intptr_t NoneBits> struct Counting<UniqueValue<T, Close, NoneBits>> {
    static inline int closed = 0;
    static inline T lastClosed{};

    static void CountAndClose(T value) noexcept
    {
        ++closed;
        lastClosed = value;
        Close(value);
    }

    using Owner = UniqueValue<T, &CountAndClose, NoneBits>;
};

// A fresh value of each owner's kind, from the platform.
template <typename Owner> typename Owner::Type MakeValue();

#ifdef _WIN32
template <> HKEY MakeValue<UniqueKey>()
{
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_READ, &key), ERROR_SUCCESS);
    return key;
}

template <> BSTR MakeValue<Bstr>()
{
    return SysAllocString(L"owned");
}

template <> IStream* MakeValue<ComPtr<IStream>>()
{
    IStream* stream = nullptr;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    return stream;
}

template <> HANDLE MakeValue<UniqueFileHandle>()
{
    wchar_t self[MAX_PATH] = {};
    EXPECT_NE(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    const HANDLE file = CreateFileW(self, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    return file;
}

using Owners = testing::Types<UniqueKey, Bstr, ComPtr<IStream>, UniqueFileHandle>;
#else
template <> int MakeValue<UniqueDescriptor>()
{
    int ends[2] = {-1, -1};
    EXPECT_EQ(::pipe(ends), 0);
    ::close(ends[1]);
    return ends[0];
}

template <> DIR* MakeValue<UniqueDirectory>()
{
    DIR* const directory = ::opendir(".");
    EXPECT_NE(directory, nullptr);
    return directory;
}

using Owners = testing::Types<UniqueDescriptor, UniqueDirectory>;
#endif

template <typename Owner> class UniqueValueTest : public testing::Test {
protected:
    using Count = Counting<Owner>;
    using Counted = typename Count::Owner;
    using Type = typename Owner::Type;

    UniqueValueTest() { Count::closed = 0; }

    static Type Make()
    {
        const Type value = MakeValue<Owner>();
        EXPECT_NE(value, Owner::None());
        return value;
    }
};

TYPED_TEST_SUITE(UniqueValueTest, Owners);

TYPED_TEST(UniqueValueTest, ClosesItsValueOnceWhenItGoes)
{
    using Closes = typename TestFixture::Count;
    const auto value = this->Make();
    {
        const typename TestFixture::Counted owner(value);
        EXPECT_TRUE(owner);
        EXPECT_EQ(owner.get(), value);
    }
    EXPECT_EQ(Closes::closed, 1);
    EXPECT_EQ(Closes::lastClosed, value);

    {
        const typename TestFixture::Counted empty;
    }
    EXPECT_EQ(Closes::closed, 1);
}

TYPED_TEST(UniqueValueTest, MovingHandsTheValueOnWithoutClosingIt)
{
    using Closes = typename TestFixture::Count;
    using Owner = typename TestFixture::Counted;
    const auto first = this->Make();
    const auto second = this->Make();
    {
        Owner from(first);
        Owner to(std::move(from));
        EXPECT_FALSE(from); // NOLINT(bugprone-use-after-move): the moved-from owner must be empty
        EXPECT_EQ(to.get(), first);
        EXPECT_EQ(Closes::closed, 0);

        Owner other(second);
        other = std::move(to); // closes what `other` held
        EXPECT_EQ(Closes::closed, 1);
        EXPECT_EQ(Closes::lastClosed, second);
        EXPECT_EQ(other.get(), first);

        Owner& same = other;
        other = std::move(same);
        EXPECT_EQ(other.get(), first);
        EXPECT_EQ(Closes::closed, 1);
    }
    EXPECT_EQ(Closes::closed, 2);
    EXPECT_EQ(Closes::lastClosed, first);
}

TYPED_TEST(UniqueValueTest, ResetAndPutCloseWhatWasHeld)
{
    using Closes = typename TestFixture::Count;
    const auto first = this->Make();
    const auto second = this->Make();
    typename TestFixture::Counted owner(first);
    owner.reset(second);
    EXPECT_EQ(Closes::closed, 1);
    EXPECT_EQ(Closes::lastClosed, first);
    EXPECT_EQ(owner.get(), second);

    auto* slot = owner.put();
    EXPECT_EQ(Closes::closed, 2);
    EXPECT_EQ(Closes::lastClosed, second);
    EXPECT_EQ(*slot, TypeParam::None());
    EXPECT_FALSE(owner);

    owner.reset();
    EXPECT_EQ(Closes::closed, 2);
}

TYPED_TEST(UniqueValueTest, ReleaseGivesTheValueUpWithoutClosingIt)
{
    using Closes = typename TestFixture::Count;
    const auto value = this->Make();
    typename TestFixture::Type released{};
    {
        typename TestFixture::Counted owner(value);
        released = owner.release();
        EXPECT_FALSE(owner);
    }
    EXPECT_EQ(released, value);
    EXPECT_EQ(Closes::closed, 0);
    {
        const TypeParam real(released);
    } // closed by the real owner
}

} // namespace
} // namespace Talvane::Nimlo
