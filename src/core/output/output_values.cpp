#include "core/output/output_values.h"

#include "core/excel/table_definition.h"
#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"

namespace quilto {

int PageCount(int lines, int first, int following) {
    first = EffectiveRowsPerPage(first);
    following = EffectiveRowsPerPage(following);
    if (lines <= first) return 1;
    return 1 + (lines - first + following - 1) / following;
}

std::string MarginRate(Fixed4 amount, Fixed4 cost) {
    if (amount.raw == 0) return "0";
    // The rate in ten-thousandths, truncated: the digits kept are exact, and the first
    // dropped one decides the rounding to two decimals.
    const __int128 scaled = (static_cast<__int128>(amount.raw) - cost.raw) * 100 * Fixed4::kScale;
    __int128 rate = scaled / amount.raw;
    constexpr __int128 kLimit = 0x7fffffffffffffff;
    if (rate > kLimit) rate = kLimit;
    if (rate < -kLimit) rate = -kLimit;
    return Fixed4ToText(
        RoundFixed(2, kRoundHalfUp, Fixed4::FromRaw(static_cast<std::int64_t>(rate))));
}

std::string MarginRate(std::string_view amount, std::string_view cost) {
    return MarginRate(TextToFixed4(amount), TextToFixed4(cost));
}

bool PrintsRemarks(std::string_view remarks) { return !remarks.starts_with("//"); }

std::string DiscountAmount(std::string_view amount, bool discountSign) {
    const std::string_view trimmed = TrimmedView(amount);
    if (!discountSign || trimmed.empty()) return std::string(amount);
    return std::string(1, '-').append(trimmed);
}

bool IsNoAmount(std::string_view amount) {
    const std::string cleaned = CleanNumber(amount);
    return cleaned.empty() || cleaned == "0";
}

}  // namespace quilto
