#include "foundation/fixed4_arithmetic.h"

#include <limits>

namespace quilto {

namespace {

using Wide = __int128;

// numerator / divisor rounded to the nearest integer, ties to even; saturates.
std::int64_t DivideTiesToEven(Wide numerator, Wide divisor) {
    if (divisor < 0) {
        numerator = -numerator;
        divisor = -divisor;
    }
    Wide quotient = numerator / divisor;
    Wide remainder = numerator % divisor;
    if (remainder < 0) {
        remainder = -remainder;
    }
    const Wide twice = remainder * 2;
    const bool negative = numerator < 0;
    if (twice > divisor || (twice == divisor && (quotient % 2 != 0))) {
        quotient += negative ? -1 : 1;
    }
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    if (quotient > kMax) return kMax;
    if (quotient < kMin) return kMin;
    return static_cast<std::int64_t>(quotient);
}

}  // namespace

Fixed4 Multiply(Fixed4 a, Fixed4 b) {
    return Fixed4::FromRaw(DivideTiesToEven(Wide(a.raw) * Wide(b.raw), Fixed4::kScale));
}

Fixed4 PercentOf(Fixed4 value, Fixed4 percent) {
    return Fixed4::FromRaw(
        DivideTiesToEven(Wide(value.raw) * Wide(percent.raw), Wide(Fixed4::kScale) * 100));
}

}  // namespace quilto
