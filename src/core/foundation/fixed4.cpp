#include "core/foundation/fixed4.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>

#include "core/foundation/decimal_text.h"
#include "core/foundation/number_text.h"

namespace quilto {

std::string Fixed4ToText(Fixed4 value) {
    std::string text;
    AssignFixed4Text(text, value);
    return text;
}

void AssignFixed4Text(std::string& text, Fixed4 value) {
    // Work on the unsigned magnitude so that the most negative raw value has one too.
    const bool negative = value.raw < 0;
    std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value.raw)
                                       : static_cast<std::uint64_t>(value.raw);
    const auto scale = static_cast<std::uint64_t>(Fixed4::kScale);
    // Built right to left in a buffer: this runs for every number cell that is shown.
    char buffer[32];
    char* end = buffer + sizeof buffer;
    char* begin = end;
    std::uint64_t fraction = magnitude % scale;
    if (fraction != 0) {
        int places = 4;
        while (fraction % 10 == 0) {
            fraction /= 10;
            --places;
        }
        for (int i = 0; i < places; ++i, fraction /= 10)
            *--begin = static_cast<char>('0' + fraction % 10);
        *--begin = '.';
    }
    magnitude /= scale;
    do {
        *--begin = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative) *--begin = '-';
    text.assign(begin, end);
}

namespace {

// The common cell in one pass and without allocating: what the clean-up keeps (digits, the
// first ".", the first "-") read straight into ten-thousandths. Texts with more than 14
// integer digits go to the general path, which saturates. Same results as that path.
std::optional<Fixed4> QuickTextToFixed4(std::string_view text) {
    constexpr int kMaxIntegerDigits = 14;
    bool kept = false, digit = false, dot = false, minus = false, minusFirst = false;
    std::int64_t integer = 0, fraction = 0;
    int integerDigits = 0, fractionDigits = 0, firstDropped = 0;
    // Shown numbers are padded on the left; blanks count for nothing.
    text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
    for (const char ch : text) {
        if (ch >= '0' && ch <= '9') {
            const int d = ch - '0';
            digit = kept = true;
            if (!dot) {
                if (integerDigits == 0 && d == 0) continue;
                if (++integerDigits > kMaxIntegerDigits) return std::nullopt;
                integer = integer * 10 + d;
            } else if (fractionDigits < 4) {
                fraction = fraction * 10 + d;
                ++fractionDigits;
            } else if (fractionDigits == 4) {
                firstDropped = d;
                ++fractionDigits;
            }
        } else if (ch == '.' && !dot) {
            dot = kept = true;
        } else if (ch == '-' && !minus) {
            minus = true;
            minusFirst = !kept;
            kept = true;
        }
    }
    // Blank, ".", "-" or a "-" behind the number ("5-"): no number, 0.
    if (!digit || (minus && !minusFirst)) return Fixed4{};
    for (int places = std::min(fractionDigits, 4); places < 4; ++places) fraction *= 10;
    std::int64_t raw = integer * Fixed4::kScale + fraction + (firstDropped >= 5 ? 1 : 0);
    return Fixed4::FromRaw(minus ? -raw : raw);
}

// The shape almost every cell has, as the editor shows or a user types it: blanks, an
// optional "-", digits (with thousands separators), optionally "." and digits. Anything
// else, or more digits than the quick path takes, goes to the paths above.
std::optional<Fixed4> PlainTextToFixed4(std::string_view text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end && *p == ' ') ++p;
    const bool negative = p != end && *p == '-';
    if (negative) ++p;
    std::int64_t integer = 0;
    int digits = 0;
    for (; p != end; ++p) {
        const auto d = static_cast<unsigned>(*p - '0');
        if (d < 10) {
            if (++digits > 14) return std::nullopt;
            integer = integer * 10 + d;
        } else if (*p != ',') {
            break;
        }
    }
    std::int64_t fraction = 0;
    int fractionDigits = 0;
    bool roundUp = false;
    if (p != end && *p == '.') {
        for (++p; p != end; ++p) {
            const auto d = static_cast<unsigned>(*p - '0');
            if (d >= 10) break;
            if (fractionDigits < 4) {
                fraction = fraction * 10 + d;
            } else if (fractionDigits == 4) {
                roundUp = d >= 5;
            }
            ++fractionDigits;
        }
    }
    if (p != end || digits == 0) return std::nullopt;
    for (int i = std::min(fractionDigits, 4); i < 4; ++i) fraction *= 10;
    const std::int64_t raw = integer * Fixed4::kScale + fraction + (roundUp ? 1 : 0);
    return Fixed4::FromRaw(negative ? -raw : raw);
}

}  // namespace

Fixed4 TextToFixed4(std::string_view text) {
    if (const auto plain = PlainTextToFixed4(text)) return *plain;
    if (const auto quick = QuickTextToFixed4(text)) return *quick;
    return detail::ExactTextToFixed4(text);
}

// The cleaned text is converted exactly, digit by digit: going through a double would turn
// 1.00005 into 1.0000499999... and round it the wrong way.
Fixed4 detail::ExactTextToFixed4(std::string_view text) {
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
