// Fuzz target for the five WMI parsers and the conversion of the values they
// read. The input describes one result set: a number of objects, each with a
// few properties chosen from the names the parsers read (plus one they do
// not). Each property is made as WMI could hand it over: a VARIANT (here its
// portable stand-in) of any type WMI uses, or a fetch that failed; it reaches
// the parsers through the product's conversion. What each property means is
// noted while it is made (a text, a number of whole mebibytes and the bytes
// past them), and every record is checked against that, never against the
// product's own arithmetic.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "FuzzParse.h"
#include "FuzzSupport.h"
#include "fakes/FakeWmi.h"
#include "fakes/VariantCases.h"
#include "sysinfo/WmiQueries.h"

using namespace Talvane::Nimlo;
using namespace Talvane::Nimlo::Fuzzing;
using Talvane::Nimlo::Testing::FakeWmiObject;
using Talvane::Nimlo::Testing::FakeWmiProperties;
using Talvane::Nimlo::Testing::FakeWmiValue;
using Talvane::Nimlo::Testing::StandInVariant;

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

// What one property means, noted while it was made.
struct Meant {
    std::u16string text;         // a text value; empty for any other
    std::uint64_t mebibytes = 0; // an integer value is mebibytes * 2^20 + rest
    std::uint32_t rest = 0;
    bool fetched = true;
};

using MeantObject = std::map<std::u16string, Meant>;

const Meant& MeaningOf(const MeantObject& object, const char16_t* name)
{
    static const Meant absent;
    const auto found = object.find(name);
    return found == object.end() ? absent : found->second;
}

std::u16string TextOf(const MeantObject& object, const char16_t* name)
{
    return MeaningOf(object, name).text;
}

// The integer as the property's 32 bits, which is how WMI hands over the
// 16- and 32-bit properties these parsers compare.
std::int64_t Low32Of(const MeantObject& object, const char16_t* name)
{
    const Meant& meant = MeaningOf(object, name);
    const std::uint64_t whole = meant.mebibytes * 1048576 + meant.rest;
    return static_cast<std::int64_t>(whole % 4294967296ULL);
}

// Bytes in gigabytes of 2^30 bytes; exact in binary.
double Gigabytes(std::uint64_t bytes)
{
    return std::ldexp(static_cast<double>(bytes), -30);
}

const std::uint16_t Tags[] = {
    VariantTag::Empty, VariantTag::Null, VariantTag::Bstr, VariantTag::Bool, VariantTag::R8,
    VariantTag::I1,    VariantTag::UI1,  VariantTag::I2,   VariantTag::UI2,  VariantTag::I4,
    VariantTag::UI4,   VariantTag::Int,  VariantTag::UInt, VariantTag::I8,   VariantTag::UI8,
};

int WidthOf(std::uint16_t tag)
{
    switch (tag) {
    case VariantTag::I1:
    case VariantTag::UI1:
        return 8;
    case VariantTag::I2:
    case VariantTag::UI2:
        return 16;
    case VariantTag::I4:
    case VariantTag::UI4:
    case VariantTag::Int:
    case VariantTag::UInt:
        return 32;
    case VariantTag::I8:
    case VariantTag::UI8:
        return 64;
    default:
        return 0;
    }
}

// Makes one property: a stand-in VARIANT of a chosen type filled with a chosen
// value, converted by the product; notes what it means.
std::pair<WmiValue, Meant> ConsumeProperty(FuzzedDataProvider& data)
{
    const std::uint16_t tag = data.PickValueInArray(Tags);
    const bool fetched = data.ConsumeIntegralInRange<int>(0, 7) != 0;
    Meant meant;
    StandInVariant variant;
    variant.vt = tag;
    if (tag == VariantTag::Bstr) {
        variant.storage = ConsumeText(data, 40);
        variant.bstrVal = variant.storage.c_str();
        meant.text = variant.storage;
    } else if (tag == VariantTag::Bool) {
        variant.boolVal = data.ConsumeBool() ? -1 : 0;
    } else if (tag == VariantTag::R8) {
        variant.dblVal = data.ConsumeFloatingPoint<double>();
    } else if (const int width = WidthOf(tag); width != 0) {
        // The number, chosen as whole mebibytes and the bytes past them.
        if (width > 20) {
            meant.mebibytes = data.ConsumeIntegralInRange<std::uint64_t>(0, (std::uint64_t{1} << (width - 20)) - 1);
            meant.rest = data.ConsumeIntegralInRange<std::uint32_t>(0, 1048575);
        } else {
            meant.rest = data.ConsumeIntegralInRange<std::uint32_t>(0, (1U << width) - 1);
        }
        const std::uint64_t bits = meant.mebibytes * 1048576 + meant.rest;
        // The member of that width holds the same bits, whatever its sign.
        variant.ullVal = 0;
        std::memcpy(&variant.ullVal, &bits, static_cast<std::size_t>(width / 8));
    }
    if (!fetched) {
        meant = Meant{{}, 0, 0, false};
    }
    const std::int32_t result = fetched ? 0 : static_cast<std::int32_t>(0x80041002);
    const WmiValue value = Talvane::Nimlo::Testing::ToWmiValue(variant, result);
    return {value, meant};
}

struct Objects {
    std::vector<FakeWmiProperties> handed;
    std::vector<MeantObject> meant;
};

Objects ConsumeObjects(FuzzedDataProvider& data)
{
    Objects objects;
    const std::size_t count = data.ConsumeIntegralInRange<std::size_t>(0, 5);
    for (std::size_t i = 0; i < count; ++i) {
        FakeWmiProperties handed;
        MeantObject meant;
        const std::size_t properties = data.ConsumeIntegralInRange<std::size_t>(0, 6);
        for (std::size_t j = 0; j < properties; ++j) {
            const char16_t* name = data.PickValueInArray(PropertyNames);
            auto [value, meaning] = ConsumeProperty(data);
            FakeWmiValue fake(0U);
            fake.value = std::move(value);
            handed.insert_or_assign(name, std::move(fake));
            meant.insert_or_assign(name, std::move(meaning));
        }
        objects.handed.push_back(std::move(handed));
        objects.meant.push_back(std::move(meant));
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

// Runs `parse` and expects it to end with the error text of a needed
// property that WMI could not give.
template <typename Parse> void ExpectFetchError(Parse parse, const std::string& expected)
{
    std::string message;
    try {
        parse();
    } catch (const std::runtime_error& error) {
        message = error.what();
    }
    FUZZ_CHECK(message == expected, "message: " + message);
}

// "-2.5" for -2500: the megahertz written as gigahertz, digit by digit.
std::string GigahertzText(std::int64_t megahertz)
{
    const std::uint64_t magnitude =
        megahertz < 0 ? static_cast<std::uint64_t>(-megahertz) : static_cast<std::uint64_t>(megahertz);
    std::string fraction = std::to_string(magnitude % 1000);
    fraction.insert(0, 3 - fraction.size(), '0');
    return (megahertz < 0 ? "-" : "") + std::to_string(magnitude / 1000) + "." + fraction;
}

void CheckCpu(const Objects& objects, std::uint32_t processors)
{
    const CpuInfoWmiQuery query(processors);
    CountingResultSet results(objects.handed);
    if (objects.handed.empty()) {
        ExpectNoObjectError([&] { query.Parse(results); }, "CpuInfoWmiQuery");
        return;
    }
    const CpuInfo cpu = query.Parse(results);
    // MaxClockSpeed's 32 bits taken with a sign; the nearest double to the
    // decimal number of gigahertz.
    std::int64_t megahertz = Low32Of(objects.meant[0], u"MaxClockSpeed");
    if (megahertz >= 2147483648) {
        megahertz -= 4294967296;
    }
    const std::string gigahertz = GigahertzText(megahertz);
    FUZZ_CHECK(cpu.maxClockSpeedGHz == std::strtod(gigahertz.c_str(), nullptr),
               "clock " + std::to_string(cpu.maxClockSpeedGHz) + " for " + gigahertz + " GHz");
    FUZZ_CHECK(cpu.processorCount == static_cast<std::int32_t>(processors), std::to_string(cpu.processorCount));
    FUZZ_CHECK(results.calls == 1, "the processor parser read " + std::to_string(results.calls) + " objects");
}

void CheckDisks(const Objects& objects)
{
    std::vector<DiskInfo> expected;
    for (const MeantObject& object : objects.meant) {
        if (Low32Of(object, u"DriveType") != 3) {
            continue;
        }
        // A free space that is missing or not a number counts as none.
        const ParseOutcome free = ReferenceParse(TextOf(object, u"FreeSpace"), 64);
        const double gigabytes = free.kind == ParseOutcome::Kind::Value ? Gigabytes(free.value) : 0.0;
        expected.push_back(DiskInfo{gigabytes, TextOf(object, u"DeviceID")});
    }

    CountingResultSet results(objects.handed);
    const std::vector<DiskInfo> disks = DiskInfoWmiQuery().Parse(results);
    FUZZ_CHECK(disks.size() == expected.size(), std::to_string(disks.size()) + " disks");
    for (std::size_t i = 0; i < disks.size(); ++i) {
        FUZZ_CHECK(disks[i].deviceId == expected[i].deviceId, Show(disks[i].deviceId));
        FUZZ_CHECK(disks[i].freeSpaceGB == expected[i].freeSpaceGB,
                   Show(disks[i].deviceId) + " free " + std::to_string(disks[i].freeSpaceGB));
    }
    FUZZ_CHECK(results.calls == static_cast<int>(objects.handed.size()) + 1 && results.callsAfterEnd == 0,
               "the disk parser asked " + std::to_string(results.calls) + " times for " +
                   std::to_string(objects.handed.size()) + " objects");
}

void CheckMemory(const Objects& objects)
{
    CountingResultSet results(objects.handed);
    if (objects.handed.empty()) {
        ExpectNoObjectError([&] { MemoryInfoWmiQuery().Parse(results); }, "MemoryInfoWmiQuery");
        return;
    }
    const MeantObject& first = objects.meant[0];
    if (!MeaningOf(first, u"TotalPhysicalMemory").fetched) {
        ExpectFetchError([&] { MemoryInfoWmiQuery().Parse(results); },
                         "Reading TotalPhysicalMemory of Win32_ComputerSystem failed (HRESULT 0x80041002)");
        return;
    }
    const std::u16string total = TextOf(first, u"TotalPhysicalMemory");
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
        FUZZ_CHECK(memory.name == TextOf(first, u"Name"), Show(memory.name));
    }
    FUZZ_CHECK(results.calls == 1, "the memory parser read " + std::to_string(results.calls) + " objects");
}

void CheckOperatingSystem(const Objects& objects)
{
    CountingResultSet results(objects.handed);
    if (objects.handed.empty()) {
        ExpectNoObjectError([&] { OSInfoWmiQuery().Parse(results); }, "OSInfoWmiQuery");
        return;
    }
    const MeantObject& first = objects.meant[0];
    if (!MeaningOf(first, u"Version").fetched) {
        ExpectFetchError([&] { OSInfoWmiQuery().Parse(results); },
                         "Reading Version of Win32_OperatingSystem failed (HRESULT 0x80041002)");
        return;
    }
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
        const std::int64_t productType = Low32Of(first, u"ProductType");
        FUZZ_CHECK(os.isServer == (productType != 1), "product type " + std::to_string(productType));
    }
    FUZZ_CHECK(results.calls == 1, "the operating system parser read " + std::to_string(results.calls) + " objects");
}

void CheckVideo(const Objects& objects)
{
    CountingResultSet results(objects.handed);
    const VideoMemoryInfo video = VideoMemoryWmiQuery().Parse(results);
    // The whole mebibytes the adapter's byte count was made of, whatever its
    // width and whatever the sign of its member.
    const std::uint64_t expected = objects.meant.empty() ? 0 : MeaningOf(objects.meant[0], u"AdapterRAM").mebibytes;
    FUZZ_CHECK(video.adapterRamMB >= 0 && static_cast<std::uint64_t>(video.adapterRamMB) == expected,
               std::to_string(video.adapterRamMB) + " MB, expected " + std::to_string(expected));
    FUZZ_CHECK(results.calls == 1, "the video parser read " + std::to_string(results.calls) + " objects");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const std::uint32_t processors = data.ConsumeIntegral<std::uint32_t>();
    const Objects objects = ConsumeObjects(data);

    CheckCpu(objects, processors);
    CheckDisks(objects);
    CheckMemory(objects);
    CheckOperatingSystem(objects);
    CheckVideo(objects);
    return 0;
}
