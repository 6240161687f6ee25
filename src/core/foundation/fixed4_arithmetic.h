#pragma once

// Products and percentages of Fixed4 values. The product is formed exactly (128-bit) and
// brought back to four decimals with ties to even, so quantity x unit price never drifts.

#include "core/foundation/fixed4.h"

namespace quilto {

Fixed4 Multiply(Fixed4 a, Fixed4 b);
// value x percent / 100, to four decimals, ties to even.
Fixed4 PercentOf(Fixed4 value, Fixed4 percent);

}  // namespace quilto
