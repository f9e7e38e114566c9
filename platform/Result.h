#pragma once

#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace Talvane::Nimlo {

// Why a Result holds no value, as it is handed back: `return Failure("not a folder");`.
template <class E> struct Failure {
    explicit Failure(E reason) : why(std::move(reason)) {}

    E why;
};
template <class E> Failure(E) -> Failure<E>;

// A value, or why there is none: what the seams and parsers hand back instead
// of a value beside an error text that is empty when there is none. Its names
// are std::expected's, which the compilers the project is built with lack.
template <class T, class E = std::string> class Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    template <class F>
    requires std::is_constructible_v<E, F> Result(Failure<F> failure)
        : state_(std::in_place_index<1>, std::move(failure.why))
    {}

    bool has_value() const noexcept { return state_.index() == 0; }
    explicit operator bool() const noexcept { return has_value(); }

    // The value; only where there is one (std::bad_variant_access where there is none).
    T& operator*() & { return std::get<0>(state_); }
    const T& operator*() const& { return std::get<0>(state_); }
    T&& operator*() && { return std::get<0>(std::move(state_)); }
    T* operator->() { return &std::get<0>(state_); }
    const T* operator->() const { return &std::get<0>(state_); }

    // Why there is no value; only where there is none.
    const E& error() const { return std::get<1>(state_); }

    bool operator==(const Result&) const = default;

private:
    std::variant<T, E> state_; // by index, so that T and E may be one type
};

// Done, or why not.
template <class E> class Result<void, E> {
public:
    Result() = default;
    template <class F>
    requires std::is_constructible_v<E, F> Result(Failure<F> failure) : why_(std::in_place, std::move(failure.why)) {}

    bool has_value() const noexcept { return !why_.has_value(); }
    explicit operator bool() const noexcept { return has_value(); }

    const E& error() const { return *why_; }

    bool operator==(const Result&) const = default;

private:
    std::optional<E> why_;
};

} // namespace Talvane::Nimlo
