#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace Talvane::Nimlo {

// One property of a result object, reduced to what the parsers read.
struct WmiValue {
    // A text value; empty for a value of any other type.
    std::u16string text;

    // An integer value's bits at its own width, widened to 64 bits without
    // sign extension: the 32-bit AdapterRAM of 4293918720 (0xFFF00000) stays
    // 4293918720 and a 64-bit value keeps all its bits. 0 for a value of any
    // other type (null, empty, text, boolean).
    std::uint64_t integer = 0;

    // What fetching the property returned, as an HRESULT. A property that
    // could not be fetched reads as empty text and 0, like an absent one;
    // the result is kept for the error text of a parser that needs the value.
    std::int32_t fetchResult = 0;

    // The low 32 bits, for the properties WMI hands over as 32-bit integers
    // (16- and 32-bit unsigned properties).
    std::uint32_t Integer32() const noexcept { return static_cast<std::uint32_t>(integer); }

    bool Fetched() const noexcept { return fetchResult >= 0; }
};

// One result object of a WMI query.
class WmiObject {
public:
    virtual ~WmiObject() = default;

    // The named property; an absent one reads as empty text and 0.
    virtual WmiValue Get(const std::u16string& name) const = 0;
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
