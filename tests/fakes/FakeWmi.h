#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "sysinfo/WmiResultSet.h"

namespace Talvane::Nimlo::Testing {

// A property value as WMI hands it over: text, or the 32 bits of an integer.
using FakeWmiValue = std::variant<std::u16string, std::uint32_t>;

// One result object: property name -> value. Properties not listed are absent.
using FakeWmiProperties = std::map<std::u16string, FakeWmiValue>;

// Reads like the Windows adapter: a text property read as an integer gives 0,
// an integer property read as text gives an empty text.
class FakeWmiObject : public WmiObject {
public:
    explicit FakeWmiObject(FakeWmiProperties properties) : properties_(std::move(properties)) {}

    std::u16string Text(const std::u16string& name) const override
    {
        const auto found = properties_.find(name);
        if (found == properties_.end()) {
            return {};
        }
        const auto* text = std::get_if<std::u16string>(&found->second);
        return text ? *text : std::u16string();
    }

    std::uint32_t Integer(const std::u16string& name) const override
    {
        const auto found = properties_.find(name);
        if (found == properties_.end()) {
            return 0;
        }
        const auto* value = std::get_if<std::uint32_t>(&found->second);
        return value ? *value : 0;
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
