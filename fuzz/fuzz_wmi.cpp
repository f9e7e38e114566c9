// Fuzz target for the five WMI parsers. The input describes one result set:
// a number of objects, each with a few properties chosen from the names the
// parsers read (plus one they do not), each property text or a 32-bit
// integer. Every parser runs on its own fresh copy of that result set and its
// record is recomputed here from the properties.

#include <cmath>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "FuzzParse.h"
#include "FuzzSupport.h"
#include "fakes/FakeWmi.h"
#include "sysinfo/WmiQueries.h"

using namespace Talvane::Nimlo;
using namespace Talvane::Nimlo::Fuzzing;
using Talvane::Nimlo::Testing::FakeWmiObject;
using Talvane::Nimlo::Testing::FakeWmiProperties;
using Talvane::Nimlo::Testing::FakeWmiValue;

namespace {

const char16_t* const PropertyNames[] = {
    u"MaxClockSpeed", u"DriveType",  u"DeviceID", u"FreeSpace",   u"TotalPhysicalMemory", u"Name",
    u"Version",       u"CSDVersion", u"Caption",  u"ProductType", u"AdapterRAM",          u"Unrelated",
};

// Hands out the objects in order and counts how it is used: how often Next
// was called, and whether it was called again after it had said "no more".
class CountingResultSet : public WmiResultSet {
public:
    explicit CountingResultSet(const std::vector<FakeWmiProperties>& objects) : objects_(objects) {}

    std::unique_ptr<WmiObject> Next() override
    {
        ++calls;
        if (exhausted) {
            callsAfterEnd++;
        }
        if (next_ == objects_.size()) {
            exhausted = true;
            return nullptr;
        }
        return std::make_unique<FakeWmiObject>(objects_[next_++]);
    }

    int calls = 0;
    int callsAfterEnd = 0;
    bool exhausted = false;

private:
    const std::vector<FakeWmiProperties>& objects_;
    std::size_t next_ = 0;
};

// What the parsers see of a property: the text of a text value, the bits of
// an integer value; the other kind and a missing property read as empty or 0.
std::u16string TextOf(const FakeWmiProperties& object, const char16_t* name)
{
    const auto found = object.find(name);
    if (found == object.end() || found->second.index() != 0) {
        return {};
    }
    return std::get<0>(found->second);
}

std::uint32_t IntegerOf(const FakeWmiProperties& object, const char16_t* name)
{
    const auto found = object.find(name);
    if (found == object.end() || found->second.index() != 1) {
        return 0;
    }
    return std::get<1>(found->second);
}

// Bytes in gigabytes of 2^30 bytes; exact in binary.
double Gigabytes(std::uint64_t bytes)
{
    return std::ldexp(static_cast<double>(bytes), -30);
}

std::vector<FakeWmiProperties> ConsumeObjects(FuzzedDataProvider& data)
{
    std::vector<FakeWmiProperties> objects(data.ConsumeIntegralInRange<std::size_t>(0, 5));
    for (FakeWmiProperties& object : objects) {
        const std::size_t count = data.ConsumeIntegralInRange<std::size_t>(0, 6);
        for (std::size_t i = 0; i < count; ++i) {
            const char16_t* name = data.PickValueInArray(PropertyNames);
            if (data.ConsumeBool()) {
                object[name] = FakeWmiValue(ConsumeText(data, 40));
            } else {
                object[name] = FakeWmiValue(data.ConsumeIntegral<std::uint32_t>());
            }
        }
    }
    return objects;
}

// Runs `parse` and expects it to throw a std::runtime_error because the
// result set held no object (the product's choice for the parsers that need
// one).
template <typename Parse> void ExpectNoObjectError(Parse parse, const char* what)
{
    bool threw = false;
    try {
        parse();
    } catch (const std::runtime_error&) {
        threw = true;
    }
    FUZZ_CHECK(threw, std::string(what) + " parsed an empty result set");
}

void CheckCpu(const std::vector<FakeWmiProperties>& objects, std::uint32_t processors)
{
    const CpuInfoWmiQuery query(processors);
    CountingResultSet results(objects);
    if (objects.empty()) {
        ExpectNoObjectError([&] { query.Parse(results); }, "CpuInfoWmiQuery");
        return;
    }
    const CpuInfo cpu = query.Parse(results);
    const auto megahertz = static_cast<std::int32_t>(IntegerOf(objects[0], u"MaxClockSpeed"));
    FUZZ_CHECK(cpu.maxClockSpeedGHz == static_cast<double>(megahertz) / 1000.0,
               "clock " + std::to_string(cpu.maxClockSpeedGHz) + " for " + std::to_string(megahertz) + " MHz");
    FUZZ_CHECK(cpu.processorCount == static_cast<std::int32_t>(processors), std::to_string(cpu.processorCount));
    FUZZ_CHECK(results.calls == 1, "the processor parser read " + std::to_string(results.calls) + " objects");
}

void CheckDisks(const std::vector<FakeWmiProperties>& objects)
{
    std::vector<DiskInfo> expected;
    for (const FakeWmiProperties& object : objects) {
        if (IntegerOf(object, u"DriveType") != 3) {
            continue;
        }
        // A free space that is missing or not a number counts as none.
        const ParseOutcome free = ReferenceParse(TextOf(object, u"FreeSpace"), 64);
        const double gigabytes = free.kind == ParseOutcome::Kind::Value ? Gigabytes(free.value) : 0.0;
        expected.push_back(DiskInfo{gigabytes, TextOf(object, u"DeviceID")});
    }

    CountingResultSet results(objects);
    const std::vector<DiskInfo> disks = DiskInfoWmiQuery().Parse(results);
    FUZZ_CHECK(disks.size() == expected.size(), std::to_string(disks.size()) + " disks");
    for (std::size_t i = 0; i < disks.size(); ++i) {
        FUZZ_CHECK(disks[i].deviceId == expected[i].deviceId, Show(disks[i].deviceId));
        FUZZ_CHECK(disks[i].freeSpaceGB == expected[i].freeSpaceGB,
                   Show(disks[i].deviceId) + " free " + std::to_string(disks[i].freeSpaceGB));
    }
    FUZZ_CHECK(results.calls == static_cast<int>(objects.size()) + 1 && results.callsAfterEnd == 0,
               "the disk parser asked " + std::to_string(results.calls) + " times for " +
                   std::to_string(objects.size()) + " objects");
}

void CheckMemory(const std::vector<FakeWmiProperties>& objects)
{
    CountingResultSet results(objects);
    if (objects.empty()) {
        ExpectNoObjectError([&] { MemoryInfoWmiQuery().Parse(results); }, "MemoryInfoWmiQuery");
        return;
    }
    const std::u16string total = TextOf(objects[0], u"TotalPhysicalMemory");
    const ParseOutcome expected = ReferenceParse(total, 64);
    MemoryInfo memory;
    const ParseOutcome outcome = Observe(
        [&] {
            memory = MemoryInfoWmiQuery().Parse(results);
            return 0;
        },
        "invalid stoull argument", "stoull argument out of range");
    FUZZ_CHECK(outcome.kind == expected.kind, Show(total) + ": " + Show(outcome) + ", expected " + Show(expected));
    if (outcome.kind == ParseOutcome::Kind::Value) {
        FUZZ_CHECK(memory.totalPhysicalMemoryGB == Gigabytes(expected.value), Show(total));
        FUZZ_CHECK(memory.name == TextOf(objects[0], u"Name"), Show(memory.name));
    }
    FUZZ_CHECK(results.calls == 1, "the memory parser read " + std::to_string(results.calls) + " objects");
}

void CheckOperatingSystem(const std::vector<FakeWmiProperties>& objects)
{
    CountingResultSet results(objects);
    if (objects.empty()) {
        ExpectNoObjectError([&] { OSInfoWmiQuery().Parse(results); }, "OSInfoWmiQuery");
        return;
    }
    const FakeWmiProperties& first = objects[0];
    const std::u16string version = TextOf(first, u"Version");
    const std::u16string servicePack = TextOf(first, u"CSDVersion");

    // ParseVersion itself is checked against its reference by fuzz_text;
    // here it has to give the same answer inside the parser.
    OSVersion numbers;
    const ParseOutcome direct = Observe(
        [&] {
            numbers = OSInfoWmiQuery::ParseVersion(version, servicePack);
            return 0;
        },
        "invalid stoul argument", "stoul argument out of range");

    OSInfo os;
    const ParseOutcome parsed = Observe(
        [&] {
            os = OSInfoWmiQuery().Parse(results);
            return 0;
        },
        "invalid stoul argument", "stoul argument out of range");
    FUZZ_CHECK(parsed.kind == direct.kind, Show(version) + ", " + Show(servicePack) + ": " + Show(parsed));
    if (parsed.kind == ParseOutcome::Kind::Value) {
        FUZZ_CHECK(os.majorVersion == numbers.major && os.minorVersion == numbers.minor &&
                       os.servicePackMajor == numbers.servicePack,
                   Show(version));
        FUZZ_CHECK(os.caption == TextOf(first, u"Caption"), Show(os.caption));
        FUZZ_CHECK(os.isServer == (IntegerOf(first, u"ProductType") != 1),
                   "product type " + std::to_string(IntegerOf(first, u"ProductType")));
    }
    FUZZ_CHECK(results.calls == 1, "the operating system parser read " + std::to_string(results.calls) + " objects");
}

void CheckVideo(const std::vector<FakeWmiProperties>& objects)
{
    CountingResultSet results(objects);
    const VideoMemoryInfo video = VideoMemoryWmiQuery().Parse(results);
    // The 32 bits are a byte count without sign; two truncating divisions by
    // 1024 are a shift by 20.
    const std::int64_t expected = objects.empty() ? 0 : (IntegerOf(objects[0], u"AdapterRAM") >> 20);
    FUZZ_CHECK(video.adapterRamMB == expected, std::to_string(video.adapterRamMB) + " MB");
    FUZZ_CHECK(video.adapterRamMB >= 0 && video.adapterRamMB <= 4095, std::to_string(video.adapterRamMB));
    FUZZ_CHECK(results.calls == 1, "the video parser read " + std::to_string(results.calls) + " objects");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const std::uint32_t processors = data.ConsumeIntegral<std::uint32_t>();
    const std::vector<FakeWmiProperties> objects = ConsumeObjects(data);

    CheckCpu(objects, processors);
    CheckDisks(objects);
    CheckMemory(objects);
    CheckOperatingSystem(objects);
    CheckVideo(objects);
    return 0;
}
