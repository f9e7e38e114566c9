#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/Wmi.h"

namespace Talvane::Nimlo::Testing {

// A property value as the Windows side hands it over: text, an integer's bits,
// or a fetch that failed with an HRESULT.
struct FakeWmiValue {
    // Implicit, so that a table of properties reads as the values it holds.
    FakeWmiValue(std::u16string text) : value{std::move(text), 0, 0} {}
    FakeWmiValue(const char16_t* text) : FakeWmiValue(std::u16string(text)) {}
    FakeWmiValue(std::uint32_t bits) : value{{}, bits, 0} {}

    static FakeWmiValue Integer64(std::uint64_t bits)
    {
        FakeWmiValue fake(0u);
        fake.value.integer = bits;
        return fake;
    }

    static FakeWmiValue FetchFailed(std::int32_t result)
    {
        FakeWmiValue fake(0u);
        fake.value.fetchResult = result;
        return fake;
    }

    WmiValue value;
};

// One result object: property name -> value. Properties not listed are absent.
using FakeWmiProperties = std::map<std::u16string, FakeWmiValue>;

class FakeWmiObject : public WmiObject {
public:
    explicit FakeWmiObject(FakeWmiProperties properties) : properties_(std::move(properties)) {}

    WmiValue Get(const std::u16string& name) const override
    {
        const auto found = properties_.find(name);
        return found == properties_.end() ? WmiValue() : found->second.value;
    }

private:
    FakeWmiProperties properties_;
};

// Hands out the given objects in order, then nullptr for ever. `liveCount`,
// when given, counts result sets not yet destroyed.
class FakeWmiResultSet : public WmiResultSet {
public:
    explicit FakeWmiResultSet(std::vector<FakeWmiProperties> objects, std::shared_ptr<int> liveCount = nullptr)
        : objects_(std::move(objects))
        , liveCount_(std::move(liveCount))
    {
        if (liveCount_) {
            ++*liveCount_;
        }
    }

    FakeWmiResultSet(const FakeWmiResultSet&) = delete;
    FakeWmiResultSet& operator=(const FakeWmiResultSet&) = delete;

    ~FakeWmiResultSet() override
    {
        if (liveCount_) {
            --*liveCount_;
        }
    }

    std::unique_ptr<WmiObject> Next() override
    {
        if (next_ == objects_.size()) {
            return nullptr;
        }
        return std::make_unique<FakeWmiObject>(objects_[next_++]);
    }

private:
    std::vector<FakeWmiProperties> objects_;
    std::size_t next_ = 0;
    std::shared_ptr<int> liveCount_;
};

// Answers each query text with the objects set for it (none when not set),
// records the texts it was asked in order, and throws when told to.
class FakeWmiService : public WmiService {
public:
    std::unique_ptr<WmiResultSet> ExecQuery(const std::string& wql) override
    {
        queries.push_back(wql);
        if (failAll) {
            throw std::runtime_error(*failAll);
        }
        if (const auto failure = failOn.find(wql); failure != failOn.end()) {
            throw std::runtime_error(failure->second);
        }
        const auto found = results.find(wql);
        return std::make_unique<FakeWmiResultSet>(
            found == results.end() ? std::vector<FakeWmiProperties>() : found->second, liveResultSets);
    }

    // Number of result sets handed out and not yet destroyed.
    int LiveResultSets() const { return *liveResultSets; }

    std::map<std::string, std::vector<FakeWmiProperties>> results;
    std::vector<std::string> queries;
    std::optional<std::string> failAll;        // every query throws this message
    std::map<std::string, std::string> failOn; // query text -> message it throws

private:
    std::shared_ptr<int> liveResultSets = std::make_shared<int>(0);
};

} // namespace Talvane::Nimlo::Testing
