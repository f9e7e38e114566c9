#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace Talvane::Nimlo {

// One result object of a WMI query, reduced to what the parsers read.
class WmiObject {
public:
    virtual ~WmiObject() = default;

    // A text property. Empty when the property is absent, null or not text.
    virtual std::u16string Text(const std::u16string& name) const = 0;

    // The 32 bits of an integer property (WMI hands 16- and 32-bit unsigned
    // properties over as 32-bit integers). 0 when the property is absent,
    // null or not an integer.
    virtual std::uint32_t Integer(const std::u16string& name) const = 0;
};

// The forward-only result of one query.
class WmiResultSet {
public:
    virtual ~WmiResultSet() = default;

    // The next object, or nullptr once the result set is exhausted.
    virtual std::unique_ptr<WmiObject> Next() = 0;
};

// Runs WQL queries on one connection to root\cimv2.
class WmiService {
public:
    virtual ~WmiService() = default;

    // Throws when the query cannot be run.
    virtual std::unique_ptr<WmiResultSet> ExecQuery(const std::string& wql) = 0;
};

} // namespace Talvane::Nimlo
