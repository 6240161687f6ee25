#include "core/foundation/fixed4_arithmetic.h"

#include <limits>

namespace quilto {

namespace {

using Wide = __int128;

// numerator / divisor rounded to the nearest integer, ties to even; saturates. Instantiated
// for 64-bit operands too: most products fit, and their division is far cheaper.
template <typename Int>
std::int64_t DivideTiesToEven(Int numerator, Int divisor) {
    if (divisor < 0) {
        numerator = -numerator;
        divisor = -divisor;
    }
    Int quotient = numerator / divisor;
    Int remainder = numerator % divisor;
    if (remainder < 0) {
        remainder = -remainder;
    }
    const Int twice = remainder * 2;
    const bool negative = numerator < 0;
    if (twice > divisor || (twice == divisor && (quotient % 2 != 0))) {
        quotient += negative ? -1 : 1;
    }
    if constexpr (sizeof(Int) > sizeof(std::int64_t)) {
        constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
        constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
        if (quotient > kMax) return kMax;
        if (quotient < kMin) return kMin;
    }
    return static_cast<std::int64_t>(quotient);
}

}  // namespace

Fixed4 Multiply(Fixed4 a, Fixed4 b) {
    std::int64_t product = 0;
    if (!__builtin_mul_overflow(a.raw, b.raw, &product))
        return Fixed4::FromRaw(DivideTiesToEven<std::int64_t>(product, Fixed4::kScale));
    return Fixed4::FromRaw(DivideTiesToEven<Wide>(Wide(a.raw) * Wide(b.raw), Fixed4::kScale));
}

Fixed4 PercentOf(Fixed4 value, Fixed4 percent) {
    return Fixed4::FromRaw(
        DivideTiesToEven<Wide>(Wide(value.raw) * Wide(percent.raw), Wide(Fixed4::kScale) * 100));
}

}  // namespace quilto
