#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/Registry.h"

namespace Talvane::Nimlo::Testing {

// A registry in memory that behaves like HKEY_LOCAL_MACHINE seen by a 32-bit
// process. On 64-bit Windows such a process sees two trees: the native one
// (mask with KEY_WOW64_64KEY) and its own redirected one (plain mask). On
// 32-bit Windows there is only one tree and the flag changes nothing.
//
// Every open and every value read is recorded, and so is every close, so a
// test can check the masks used, the room given and that each opened key is
// closed exactly once.
class FakeRegistry : public Registry {
public:
    enum class View { Native, Redirected };

    struct Value {
        std::vector<std::byte> bytes;
        std::optional<long> status;        // forced status; the bytes are still written as far as they fit
        std::optional<std::uint32_t> size; // forced reported size
    };

    struct Key {
        long openStatus = RegistrySuccess; // e.g. 5, access denied
        std::map<std::u16string, Value> values;

        Key& Set(const std::u16string& name, std::vector<std::byte> bytes)
        {
            values[name] = Value{std::move(bytes), std::nullopt, std::nullopt};
            return *this;
        }
        Key& Text(const std::u16string& name, const std::u16string& text) { return Set(name, Utf16Z(text)); }
        Key& Dword(const std::u16string& name, std::uint32_t number) { return Set(name, LittleEndian(number)); }
        Key& Fail(const std::u16string& name, long status)
        {
            values[name].status = status;
            return *this;
        }
    };

    struct Open {
        std::u16string path;
        std::uint32_t mask;
        long status;
        int handle; // 0 when the open failed
    };

    struct Read {
        int handle;
        std::u16string name;
        std::size_t room;
        long status;
    };

    explicit FakeRegistry(bool on64BitWindows) : on64BitWindows_(on64BitWindows) {}

    // A key of the native tree (the only tree on 32-bit Windows).
    Key& AddKey(const std::u16string& path) { return AddKey(View::Native, path); }
    Key& AddKey(View view, const std::u16string& path) { return trees_[TreeIndex(view)][path]; }

    bool IsWow64Process() override
    {
        ++wow64Questions;
        if (!wow64Answers.empty()) {
            const bool answer = wow64Answers.front();
            wow64Answers.pop_front();
            return answer;
        }
        return on64BitWindows_;
    }

    KeyOpen OpenLocalMachineKey(const std::u16string& path, std::uint32_t accessMask) override
    {
        std::unique_ptr<RegistryKey> key;
        const bool nativeView = !on64BitWindows_ || (accessMask & 0x100u) != 0;
        auto& tree = trees_[TreeIndex(nativeView ? View::Native : View::Redirected)];
        const auto found = tree.find(path);
        long status = RegistryNotFound;
        if (found != tree.end()) {
            status = found->second.openStatus;
        }
        int handle = 0;
        if (status == RegistrySuccess) {
            handle = ++lastHandle_;
            key = std::make_unique<FakeKey>(*this, found->second, handle);
        }
        opens.push_back({path, accessMask, status, handle});
        return {status, std::move(key)};
    }

    // Handles opened successfully and not closed exactly once.
    std::vector<int> HandlesNotClosedOnce() const
    {
        std::vector<int> handles;
        for (int handle = 1; handle <= lastHandle_; ++handle) {
            const auto found = closes.find(handle);
            if (found == closes.end() || found->second != 1) {
                handles.push_back(handle);
            }
        }
        return handles;
    }

    std::vector<std::u16string> OpenedPaths() const
    {
        std::vector<std::u16string> paths;
        for (const Open& open : opens) {
            paths.push_back(open.path);
        }
        return paths;
    }

    std::vector<std::u16string> ReadNames() const
    {
        std::vector<std::u16string> names;
        for (const Read& read : reads) {
            names.push_back(read.name);
        }
        return names;
    }

    // UTF-16 little-endian bytes of `text` with the terminating zero unit.
    static std::vector<std::byte> Utf16Z(const std::u16string& text)
    {
        std::vector<std::byte> bytes = Utf16(text);
        bytes.insert(bytes.end(), 2, std::byte{0});
        return bytes;
    }

    // UTF-16 little-endian bytes of `text` alone.
    static std::vector<std::byte> Utf16(const std::u16string& text)
    {
        std::vector<std::byte> bytes;
        for (const char16_t unit : text) {
            bytes.push_back(static_cast<std::byte>(unit & 0xFFu));
            bytes.push_back(static_cast<std::byte>(unit >> 8));
        }
        return bytes;
    }

    static std::vector<std::byte> LittleEndian(std::uint32_t number)
    {
        return {static_cast<std::byte>(number & 0xFFu), static_cast<std::byte>((number >> 8) & 0xFFu),
                static_cast<std::byte>((number >> 16) & 0xFFu), static_cast<std::byte>(number >> 24)};
    }

    std::deque<bool> wow64Answers; // scripted answers, then the machine's
    int wow64Questions = 0;
    std::vector<Open> opens;
    std::vector<Read> reads;
    std::map<int, int> closes; // handle -> times closed

private:
    class FakeKey : public RegistryKey {
    public:
        FakeKey(FakeRegistry& registry, const Key& key, int handle) : registry_(registry), key_(key), handle_(handle) {}
        ~FakeKey() override { ++registry_.closes[handle_]; }

        ValueRead QueryValue(const std::u16string& name, std::span<std::byte> buffer) override
        {
            auto size = static_cast<std::uint32_t>(buffer.size());
            const long status = Query(name, buffer, size);
            registry_.reads.push_back({handle_, name, buffer.size(), status});
            return {status, size};
        }

    private:
        // Like the registry: a value that does not fit is not written and its
        // size is reported; a missing value leaves everything alone.
        long Query(const std::u16string& name, std::span<std::byte> buffer, std::uint32_t& size) const
        {
            const auto found = key_.values.find(name);
            if (found == key_.values.end()) {
                return RegistryNotFound;
            }
            const Value& value = found->second;
            const bool fits = value.bytes.size() <= buffer.size();
            if (fits || value.status) {
                std::copy_n(value.bytes.begin(), std::min(value.bytes.size(), buffer.size()), buffer.begin());
            }
            size = value.size.value_or(static_cast<std::uint32_t>(value.bytes.size()));
            if (value.status) {
                return *value.status;
            }
            return fits ? RegistrySuccess : RegistryMoreData;
        }

        FakeRegistry& registry_;
        const Key& key_;
        int handle_;
    };

    static std::size_t TreeIndex(View view) { return view == View::Native ? 0 : 1; }

    bool on64BitWindows_;
    int lastHandle_ = 0;
    std::map<std::u16string, Key> trees_[2];
};

} // namespace Talvane::Nimlo::Testing
