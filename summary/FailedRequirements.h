#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <limits>

#include "requirements/RoleLabels.h"

namespace Talvane::Nimlo {

// The requirements one report falls short of, a bit each in RoleLabels'
// numbering (the Client's rows, then each server role's), so a report keeps
// them in four bytes.
class FailedRequirements {
public:
    using Mask = std::uint32_t;

    // The row numbers (within their role) of the rows a report falls short of, in their order.
    class Rows {
    public:
        class Iterator {
        public:
            using iterator_category = std::forward_iterator_tag;
            using value_type = std::size_t;
            using difference_type = std::ptrdiff_t;
            using pointer = void;
            using reference = std::size_t;

            Iterator() = default;
            explicit Iterator(Mask rest) : rest_(rest) {}
            std::size_t operator*() const { return static_cast<std::size_t>(std::countr_zero(rest_)); }
            Iterator& operator++()
            {
                rest_ &= rest_ - 1;
                return *this;
            }
            Iterator operator++(int)
            {
                const Iterator was = *this;
                ++*this;
                return was;
            }
            bool operator==(const Iterator&) const = default;

        private:
            Mask rest_ = 0; // the rows not met yet
        };

        explicit Rows(Mask rows) : rows_(rows) {}
        Iterator begin() const { return Iterator(rows_); }
        Iterator end() const { return Iterator(0); }

    private:
        Mask rows_; // bit r: row r of the role
    };

    // The report falls short of row `row` of role `role`.
    void Add(Role role, std::size_t row) { bits_ |= Bit(FirstRequirement(role) + row); }

    // Whether the report falls short of row `row` of role `role`.
    bool FallsShort(Role role, std::size_t row) const { return FallsShortOf(FirstRequirement(role) + row); }
    // Whether the report falls short of the requirement numbered `requirement` (RoleLabels' numbering).
    bool FallsShortOf(std::size_t requirement) const { return (bits_ & Bit(requirement)) != 0; }
    // Whether the report meets the role: it falls short of none of its rows.
    bool Meets(Role role) const { return (bits_ & RoleRows(role)) == 0; }
    // The rows of the role the report falls short of.
    Rows Of(Role role) const { return Rows((bits_ & RoleRows(role)) >> FirstRequirement(role)); }

    bool operator==(const FailedRequirements&) const = default;

private:
    static constexpr Mask Bit(std::size_t requirement) { return Mask{1} << requirement; }
    static constexpr Mask RoleRows(Role role)
    {
        return ((Mask{1} << RowLabels(role).size()) - 1u) << FirstRequirement(role);
    }

    Mask bits_ = 0;
};

static_assert(RequirementCount <= std::numeric_limits<FailedRequirements::Mask>::digits,
              "every requirement of every role has its bit in the mask");

} // namespace Talvane::Nimlo
