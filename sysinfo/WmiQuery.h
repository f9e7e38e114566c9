#pragma once

#include <string>

#include "platform/Wmi.h"

namespace Talvane::Nimlo {

// One typed WMI query: its WQL text and the parser that turns its result set
// into a record.
template <typename T> class WmiQuery {
public:
    virtual ~WmiQuery() = default;
    virtual std::string QueryText() const = 0;
    virtual T Parse(WmiResultSet& results) const = 0;
};

// Runs `query` on `wmi` and parses its result set. The result set is released
// when this returns, also when the parser throws.
template <typename T> T Execute(WmiService& wmi, const WmiQuery<T>& query)
{
    const std::unique_ptr<WmiResultSet> results = wmi.ExecQuery(query.QueryText());
    return query.Parse(*results);
}

} // namespace Talvane::Nimlo
