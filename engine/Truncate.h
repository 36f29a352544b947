#pragma once
// Float-to-integer conversion toward zero that stays defined for huge or non-finite coordinates.

#include <cmath>
#include <cstdint>

// Far beyond any canvas side, yet small enough that ±1 on the result cannot overflow.
inline constexpr double kTruncLimit = 1073741824.0;

inline std::int32_t TruncToInt(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    if (v > kTruncLimit) {
        v = kTruncLimit;
    } else if (v < -kTruncLimit) {
        v = -kTruncLimit;
    }
    return static_cast<std::int32_t>(v);
}
