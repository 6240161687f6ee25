#include "foundation/fixed4.h"

#include <cstddef>
#include <cstdint>
#include <limits>

#include "foundation/decimal_text.h"
#include "foundation/number_text.h"

namespace quilto {

std::string Fixed4ToText(Fixed4 value) {
    // Work on the unsigned magnitude so that the most negative raw value has one too.
    const bool negative = value.raw < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value.raw)
                                             : static_cast<std::uint64_t>(value.raw);
    const auto scale = static_cast<std::uint64_t>(Fixed4::kScale);
    std::string text = negative ? "-" : "";
    text += std::to_string(magnitude / scale);
    std::uint64_t fraction = magnitude % scale;
    if (fraction != 0) {
        std::string places = std::to_string(fraction);
        places.insert(0, 4 - places.size(), '0');
        places.erase(places.find_last_not_of('0') + 1);
        text += "." + places;
    }
    return text;
}

// The cleaned text is converted exactly, digit by digit: going through a double would turn
// 1.00005 into 1.0000499999... and round it the wrong way.
Fixed4 TextToFixed4(std::string_view text) {
    const auto value = ParseDecimal(CleanNumber(text));
    // Blank, or cleaned into something that is not a number ("5-", "."): 0, as every
    // calculation treats such a cell.
    if (!value || value->digits.empty()) return Fixed4{};

    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    // Saturate symmetrically so that negating a saturated value stays defined.
    const Fixed4 saturated =
        Fixed4::FromRaw(value->negative ? -std::numeric_limits<std::int64_t>::max()
                                        : std::numeric_limits<std::int64_t>::max());

    const std::string& digits = value->digits;
    const long long shift = value->exponent + 4;  // value x 10000 = digits x 10^shift
    const auto count = static_cast<long long>(digits.size());
    std::size_t kept = digits.size();
    bool roundUp = false;
    if (shift < 0) {
        if (-shift > count) return Fixed4{};  // less than half a ten-thousandth
        kept = static_cast<std::size_t>(count + shift);
        roundUp = digits[kept] >= '5';  // halves away from zero
    } else if (count + shift > 19) {
        return saturated;
    }

    std::uint64_t magnitude = 0;
    auto append = [&](int digit) {
        if (magnitude > (kMax - static_cast<std::uint64_t>(digit)) / 10) return false;
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(digit);
        return true;
    };
    for (std::size_t i = 0; i < kept; ++i) {
        if (!append(digits[i] - '0')) return saturated;
    }
    for (long long i = 0; i < shift; ++i) {
        if (!append(0)) return saturated;
    }
    if (roundUp) {
        if (magnitude == kMax) return saturated;
        ++magnitude;
    }
    const auto raw = static_cast<std::int64_t>(magnitude);
    return Fixed4::FromRaw(value->negative ? -raw : raw);
}

}  // namespace quilto
