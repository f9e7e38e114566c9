// Fuzz target for the three registry probes. The input scripts a registry:
// the answers to the WOW64 question, the status of opening every key the
// probes know, and for every value they read a status, the bytes the
// registry writes into the buffer (also on failure, where they must not be
// used) and the size it reports. Every call is logged; the expected result
// and the expected call sequence are then recomputed from the script alone.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "platform/Registry.h"
#include "sysinfo/CppRuntimeKeys.h"
#include "sysinfo/RegistryProbes.h"

using namespace Talvane::Nimlo;
using namespace Talvane::Nimlo::Fuzzing;

namespace {

const std::u16string DotNetKey = u"Software\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full";
const std::u16string BrowserKey = u"Software\\Microsoft\\Internet Explorer";

// Statuses worth trying; the last slot takes any number.
long ConsumeStatus(FuzzedDataProvider& data)
{
    switch (data.ConsumeIntegralInRange(0, 5)) {
    case 0:
    case 1:
        return RegistrySuccess;
    case 2:
        return RegistryNotFound;
    case 3:
        return RegistryMoreData;
    case 4:
        return 5; // access denied
    default:
        return data.ConsumeIntegral<std::int32_t>();
    }
}

struct ScriptedValue {
    long status = RegistryNotFound;
    std::string bytes;          // written into the buffer as far as they fit
    std::uint32_t failSize = 0; // size reported on failure
};

struct ScriptedKey {
    long status = RegistryNotFound;
    bool handOutKeyOnFailure = false; // a misbehaving platform layer
    std::map<std::u16string, ScriptedValue> values;
};

struct Script {
    std::uint32_t wow64Answers = 0; // bit i answers question i (then the last answer repeats)
    std::map<std::u16string, ScriptedKey> keys;
};

Script ConsumeScript(FuzzedDataProvider& data)
{
    Script script;
    script.wow64Answers = data.ConsumeIntegral<std::uint32_t>();
    const auto addKey = [&](const std::u16string& path, std::vector<std::u16string> valueNames) {
        ScriptedKey& key = script.keys[path];
        key.status = ConsumeStatus(data);
        key.handOutKeyOnFailure = data.ConsumeBool();
        for (const std::u16string& name : valueNames) {
            ScriptedValue& value = key.values[name];
            value.status = ConsumeStatus(data);
            value.failSize = data.ConsumeIntegral<std::uint32_t>();
            value.bytes = data.ConsumeRandomLengthString(300);
        }
    };
    addKey(DotNetKey, {u"Release", u"Version"});
    addKey(BrowserKey, {u"svcVersion", u"Version"});
    for (const CppRuntimeKey& row : CppRuntimeKeys) {
        if (script.keys.find(row.keyOn64Bit) == script.keys.end()) {
            addKey(row.keyOn64Bit, {});
        }
        if (script.keys.find(row.keyOn32Bit) == script.keys.end()) {
            addKey(row.keyOn32Bit, {});
        }
    }
    return script;
}

struct Event {
    enum class Kind { Question, Open, Read, Close } kind;
    bool answer = false;    // Question
    std::u16string path;    // Open
    std::uint32_t mask = 0; // Open
    long status = 0;        // Open, Read
    int handle = 0;         // Open (0: no key handed out), Read, Close
    std::u16string name;    // Read
    std::size_t room = 0;   // Read
};

class ScriptedRegistry : public Registry {
public:
    explicit ScriptedRegistry(const Script& script) : script_(script) {}

    bool IsWow64Process() override
    {
        const bool answer = ((script_.wow64Answers >> std::min(questions_, 31)) & 1u) != 0;
        ++questions_;
        log.push_back({Event::Kind::Question, answer, {}, 0, 0, 0, {}, 0});
        return answer;
    }

    KeyOpen OpenLocalMachineKey(const std::u16string& path, std::uint32_t accessMask) override
    {
        std::unique_ptr<RegistryKey> key;
        const auto found = script_.keys.find(path);
        const long status = found == script_.keys.end() ? RegistryNotFound : found->second.status;
        int handle = 0;
        if (found != script_.keys.end() && (status == RegistrySuccess || found->second.handOutKeyOnFailure)) {
            handle = ++lastHandle_;
            key = std::make_unique<Key>(*this, found->second, handle);
        }
        log.push_back({Event::Kind::Open, false, path, accessMask, status, handle, {}, 0});
        return {status, std::move(key)};
    }

    std::vector<Event> log;

private:
    class Key : public RegistryKey {
    public:
        Key(ScriptedRegistry& registry, const ScriptedKey& key, int handle)
            : registry_(registry)
            , key_(key)
            , handle_(handle)
        {}
        ~Key() override { registry_.log.push_back({Event::Kind::Close, false, {}, 0, 0, handle_, {}, 0}); }

        ValueRead QueryValue(const std::u16string& name, std::span<std::byte> buffer) override
        {
            auto size = static_cast<std::uint32_t>(buffer.size());
            const auto found = key_.values.find(name);
            long status = RegistryNotFound;
            if (found != key_.values.end()) {
                const ScriptedValue& value = found->second;
                status = value.status;
                const std::size_t written = std::min(value.bytes.size(), buffer.size());
                std::transform(value.bytes.begin(), value.bytes.begin() + static_cast<std::ptrdiff_t>(written),
                               buffer.begin(), [](char c) { return static_cast<std::byte>(c); });
                size = status == RegistrySuccess ? static_cast<std::uint32_t>(written) : value.failSize;
            }
            registry_.log.push_back({Event::Kind::Read, false, {}, 0, status, handle_, name, buffer.size()});
            return {status, size};
        }

    private:
        ScriptedRegistry& registry_;
        const ScriptedKey& key_;
        int handle_;
    };

    const Script& script_;
    int questions_ = 0;
    int lastHandle_ = 0;
};

// The text a successful read stands for: UTF-16 units, low byte first, up to
// the first zero unit; an odd last byte is no unit.
std::u16string TextRead(const ScriptedValue& value, std::size_t room)
{
    const std::string bytes = value.bytes.substr(0, room);
    std::u16string text;
    for (std::size_t i = 0; i + 2 <= bytes.size(); i += 2) {
        const auto unit =
            static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (unit == 0) {
            break;
        }
        text.push_back(unit);
    }
    return text;
}

// The number a successful 4-byte read stands for: little-endian, bytes not
// written count as 0.
std::uint32_t NumberRead(const ScriptedValue& value)
{
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < 4 && i < value.bytes.size(); ++i) {
        number |= static_cast<std::uint32_t>(static_cast<unsigned char>(value.bytes[i])) << (8 * i);
    }
    return number;
}

// Walks the log of one probe. Every open must come right after a WOW64
// question and use the mask that answer calls for; reads go through a key
// that is open; every key handed out is closed exactly once by the end.
class LogWalker {
public:
    explicit LogWalker(const std::vector<Event>& log) : log_(log) {}

    bool NextQuestion()
    {
        FUZZ_CHECK(at_ < log_.size() && log_[at_].kind == Event::Kind::Question,
                   "expected a WOW64 question at event " + std::to_string(at_));
        return log_[at_++].answer;
    }

    // The open that follows a question; returns its status.
    const Event& NextOpen(const std::u16string& path)
    {
        const bool wow64 = NextQuestion();
        FUZZ_CHECK(at_ < log_.size() && log_[at_].kind == Event::Kind::Open,
                   "expected an open at event " + std::to_string(at_));
        const Event& open = log_[at_++];
        FUZZ_CHECK(open.path == path, Show(open.path) + " opened instead of " + Show(path));
        FUZZ_CHECK(open.mask == (wow64 ? KeyReadNative64 : KeyRead), "mask " + std::to_string(open.mask));
        if (open.handle != 0) {
            open_.push_back(open.handle);
        }
        SkipCloses();
        return open;
    }

    void NextRead(int handle, const std::u16string& name, std::size_t room)
    {
        FUZZ_CHECK(at_ < log_.size() && log_[at_].kind == Event::Kind::Read,
                   "expected a read of " + Show(name) + " at event " + std::to_string(at_));
        const Event& read = log_[at_++];
        FUZZ_CHECK(read.handle == handle, "read through handle " + std::to_string(read.handle));
        FUZZ_CHECK(std::find(open_.begin(), open_.end(), handle) != open_.end(), "read through a closed key");
        FUZZ_CHECK(read.name == name, Show(read.name) + " read instead of " + Show(name));
        FUZZ_CHECK(read.room == room, Show(name) + " read with room " + std::to_string(read.room));
        SkipCloses();
    }

    void End()
    {
        SkipCloses();
        FUZZ_CHECK(at_ == log_.size(), "unexpected registry call at event " + std::to_string(at_));
        FUZZ_CHECK(open_.empty(), std::to_string(open_.size()) + " keys left open");
    }

private:
    // Closing keys may happen at any point; each handle exactly once.
    void SkipCloses()
    {
        while (at_ < log_.size() && log_[at_].kind == Event::Kind::Close) {
            const auto found = std::find(open_.begin(), open_.end(), log_[at_].handle);
            FUZZ_CHECK(found != open_.end(), "handle " + std::to_string(log_[at_].handle) + " closed twice");
            open_.erase(found);
            ++at_;
        }
    }

    const std::vector<Event>& log_;
    std::size_t at_ = 0;
    std::vector<int> open_;
};

void CheckDotNet(const Script& script)
{
    ScriptedRegistry registry(script);
    const DotNetInfo actual = ProbeDotNet(registry);

    LogWalker walker(registry.log);
    const Event& open = walker.NextOpen(DotNetKey);
    DotNetInfo expected{u"Not Installed", 0};
    if (open.status == RegistrySuccess) {
        const ScriptedKey& key = script.keys.at(DotNetKey);
        walker.NextRead(open.handle, u"Release", 4);
        walker.NextRead(open.handle, u"Version", 24);
        const ScriptedValue& release = key.values.at(u"Release");
        const ScriptedValue& version = key.values.at(u"Version");
        if (version.status == RegistrySuccess) {
            expected = {TextRead(version, 24), release.status == RegistrySuccess ? NumberRead(release) : 0u};
        }
    }
    walker.End();
    FUZZ_CHECK(actual == expected, "got " + Show(actual.version) + " " + std::to_string(actual.release) +
                                       ", expected " + Show(expected.version) + " " + std::to_string(expected.release));
}

void CheckInternetExplorer(const Script& script)
{
    ScriptedRegistry registry(script);
    const std::u16string actual = ProbeInternetExplorer(registry);

    LogWalker walker(registry.log);
    const Event& open = walker.NextOpen(BrowserKey);
    std::u16string expected = u"0";
    if (open.status == RegistrySuccess) {
        const ScriptedKey& key = script.keys.at(BrowserKey);
        walker.NextRead(open.handle, u"svcVersion", 260);
        const ScriptedValue* last = &key.values.at(u"svcVersion");
        if (last->status == RegistryNotFound) {
            walker.NextRead(open.handle, u"Version", 260);
            last = &key.values.at(u"Version");
        }
        expected = last->status == RegistrySuccess ? TextRead(*last, 260) : u"0.Unknown";
    }
    walker.End();
    FUZZ_CHECK(actual == expected, "got " + Show(actual) + ", expected " + Show(expected));
}

void CheckCppRuntimes(const Script& script)
{
    ScriptedRegistry registry(script);
    const std::vector<RuntimeStatus> actual = ProbeCppRuntimes(registry);

    LogWalker walker(registry.log);
    const bool on64 = walker.NextQuestion();
    FUZZ_CHECK(actual.size() == CppRuntimeKeys.size(), std::to_string(actual.size()) + " runtimes");
    for (std::size_t i = 0; i < CppRuntimeKeys.size(); ++i) {
        const Event& open = walker.NextOpen(on64 ? CppRuntimeKeys[i].keyOn64Bit : CppRuntimeKeys[i].keyOn32Bit);
        FUZZ_CHECK(actual[i].name == CppRuntimeKeys[i].name, Show(actual[i].name));
        FUZZ_CHECK(actual[i].installed == (open.status == RegistrySuccess),
                   Show(actual[i].name) + " with open status " + std::to_string(open.status));
    }
    walker.End();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const Script script = ConsumeScript(data);
    CheckDotNet(script);
    CheckInternetExplorer(script);
    CheckCppRuntimes(script);
    return 0;
}
