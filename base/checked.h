// Overflow-checked arithmetic for every size computed from file data: a
// reader asks first and allocates only what the answer allows.
#pragma once

#include <cstddef>
#include <optional>
#include <type_traits>

namespace base {

template <typename T>
    requires std::is_integral_v<T>
constexpr std::optional<T> checkedAdd(T a, T b)
{
    T r{};
    if (__builtin_add_overflow(a, b, &r))
        return std::nullopt;
    return r;
}

template <typename T>
    requires std::is_integral_v<T>
constexpr std::optional<T> checkedMul(T a, T b)
{
    T r{};
    if (__builtin_mul_overflow(a, b, &r))
        return std::nullopt;
    return r;
}

// Products of three factors are common (width * height * channels).
template <typename T>
    requires std::is_integral_v<T>
constexpr std::optional<T> checkedMul(T a, T b, T c)
{
    const auto ab = checkedMul(a, b);
    return ab ? checkedMul(*ab, c) : std::nullopt;
}

} // namespace base
