#include "core/foundation/number_text.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>

#include "core/foundation/decimal_text.h"
#include "core/foundation/text_bytes.h"

namespace quilto {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view WithoutLeadingBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

// The digits of |value| x 10^decimals rounded to a whole number, halves away from zero;
// nullopt when that whole number has more than maxDigits digits.
std::optional<std::string> ScaledDigits(const DecimalText& value, int decimals,
                                        long long maxDigits) {
    if (value.digits.empty()) return std::string("0");
    const long long shift = value.exponent + decimals;
    const auto count = static_cast<long long>(value.digits.size());
    if (shift >= 0) {
        if (count + shift > maxDigits) return std::nullopt;
        return value.digits + std::string(static_cast<std::size_t>(shift), '0');
    }
    const long long dropped = -shift;
    if (dropped > count) return std::string("0");  // below half a unit of the last place
    const auto kept = static_cast<std::size_t>(count - dropped);
    std::string digits = kept == 0 ? std::string("0") : value.digits.substr(0, kept);
    if (value.digits[kept] >= '5') IncrementDigits(digits);
    if (static_cast<long long>(digits.size()) > maxDigits) return std::nullopt;
    return digits;
}

std::string Grouped(std::string_view integerDigits) {
    std::string result;
    result.reserve(integerDigits.size() + integerDigits.size() / 3);
    for (std::size_t i = 0; i < integerDigits.size(); ++i) {
        if (i > 0 && (integerDigits.size() - i) % 3 == 0) result.push_back(',');
        result.push_back(integerDigits[i]);
    }
    return result;
}

bool AllZeros(std::string_view digits) { return digits.find_first_not_of("0.") == digits.npos; }

}  // namespace

bool IsNumberText(std::string_view text) { return HasText(text) && ParseDecimal(text); }

long long ToInt(std::string_view text) {
    const auto value = ParseDecimal(text);
    // Only plain integers: a "." or an exponent (1e3) is not an integer text.
    if (!value || value->hasPoint || value->hasExponent) return 0;
    if (value->digits.empty()) return 0;
    // Without a point or an exponent, the exponent only counts trailing zeros.
    const auto length = static_cast<long long>(value->digits.size()) + value->exponent;
    if (length > 19) return 0;
    const std::string all =
        value->digits + std::string(static_cast<std::size_t>(value->exponent), '0');
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(all.data(), all.data() + all.size(), magnitude);
    if (error != std::errc{} || end != all.data() + all.size()) return 0;
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<long long>::max());
    // A value outside the integer range is rejected like any other non-integer text.
    if (value->negative) {
        if (magnitude > kMax + 1) return 0;
        return magnitude == kMax + 1 ? std::numeric_limits<long long>::min()
                                     : -static_cast<long long>(magnitude);
    }
    return magnitude > kMax ? 0 : static_cast<long long>(magnitude);
}

double ToFloat(std::string_view text) {
    if (!ParseDecimal(text)) return 0;
    std::string_view number = WithoutLeadingBlanks(text);
    if (!number.empty() && number.front() == '+') number.remove_prefix(1);
    // from_chars is independent of the C locale, which Qt sets from the environment.
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    // Beyond the range of a double (either way) the conversion fails and counts as 0.
    if (error != std::errc{} || end != number.data() + number.size()) return 0;
    return value;
}

std::string CleanNumber(std::string_view text) {
    const std::string trimmed = Trimmed(text);
    std::string result;
    bool point = false;
    bool minus = false;
    for (const char c : trimmed) {
        if (IsDigit(c)) {
            result.push_back(c);
        } else if (c == '.' && !point) {
            point = true;
            result.push_back(c);
        } else if (c == '-' && !minus) {
            minus = true;
            result.push_back(c);
        }
    }
    return result;
}

FormattedNumber FormatNumber(int width, int decimals, std::string_view text, bool grouping) {
    std::string_view number = text;
    if (!number.empty() && number.back() == '.') number.remove_suffix(1);
    const auto value = ParseDecimal(number);
    if (!IsNumberText(number) || !value) return {NumberFormatStatus::kNotANumber, {}};

    const long long integerWidth =
        decimals > 0 ? static_cast<long long>(width) - decimals - 1 : width;
    if (decimals < 0 || integerWidth <= 0 || integerWidth < decimals)
        return {NumberFormatStatus::kBadLayout, {}};

    // Every digit of the rounded value is written, so more digits than the width can never
    // fit; checking first keeps hostile exponents (1e999999999) from being spelt out.
    const auto scaled = ScaledDigits(*value, decimals, width);
    if (!scaled) return {NumberFormatStatus::kTooWide, std::string(text)};

    std::string digits = *scaled;
    const auto fraction = static_cast<std::size_t>(decimals);
    if (digits.size() < fraction + 1) digits.insert(0, fraction + 1 - digits.size(), '0');
    const std::string_view integerPart(digits.data(), digits.size() - fraction);

    std::string formatted;
    // A value that rounds to zero is written without its sign.
    if (value->negative && !AllZeros(digits)) formatted.push_back('-');
    formatted += grouping ? Grouped(integerPart) : std::string(integerPart);
    if (decimals > 0) {
        formatted.push_back('.');
        formatted.append(digits, digits.size() - fraction, fraction);
    }
    if (formatted.size() > static_cast<std::size_t>(width))
        return {NumberFormatStatus::kTooWide, std::string(text)};
    return {NumberFormatStatus::kOk, PadLeftBytes(formatted, width)};
}

std::string FormatPlain(int width, int decimals, std::string_view text) {
    FormattedNumber result = FormatNumber(width, decimals, text, false);
    if (result.status != NumberFormatStatus::kOk)
        result = FormatNumber(width, decimals, "0", false);
    return result.text;
}

// Rounds by the first dropped digit only, as the stored estimates were always rounded:
// the text is read as its absolute value in plain decimal form, one unit of the last kept
// place is added when that digit calls for it, and the text is cut behind the kept places.
// The cut counts positions in the text before the carry, so a carry into a new integer
// digit leaves the result one place shorter (9.96 to one decimal gives "10."); it reads as
// the same number. A text that needs no rounding is left exactly as it was.
bool RoundDecimal(std::string& text, int decimals, int mode) {
    const auto value = ParseDecimal(text);
    if (!IsNumberText(text) || !value) return false;
    if (decimals < 0) return true;
    if (mode != kRoundHalfUp && mode != kRoundUp) mode = kRoundTruncate;

    // Places after the point in the plain form of the value (trailing zeros never count).
    const long long fractionLength = value->exponent < 0 ? -value->exponent : 0;
    if (fractionLength <= decimals) return true;

    // Only the kept places and the first dropped digit are spelt out: a fraction may be
    // hostile (1e-999999999999) and is never built whole.
    const std::string& digits = value->digits;
    const auto kept = static_cast<std::size_t>(decimals);
    const long long integerLength = static_cast<long long>(digits.size()) - fractionLength;
    const std::string integerPart =
        integerLength > 0 ? digits.substr(0, static_cast<std::size_t>(integerLength)) : "0";
    auto fractionDigit = [&](std::size_t place) {
        const long long index = integerLength + static_cast<long long>(place);
        return index < 0 ? '0' : digits[static_cast<std::size_t>(index)];
    };
    std::string scaled = integerPart;
    for (std::size_t place = 0; place < kept; ++place) scaled.push_back(fractionDigit(place));
    const char firstDropped = fractionDigit(kept);
    if ((mode == kRoundHalfUp && firstDropped >= '5') || (mode == kRoundUp && firstDropped > '0')) {
        IncrementDigits(scaled);
    }

    std::string result;
    result.reserve(scaled.size() + 1);
    result.append(scaled, 0, scaled.size() - kept)
        .append(1, '.')
        .append(scaled, scaled.size() - kept);
    result.resize(integerPart.size() + 1 + kept);
    // With no decimals kept the point is dropped along with the digits behind it.
    if (kept == 0 && !result.empty() && result.back() == '.') result.pop_back();
    // The sign goes in front by appending, not inserting: GCC 12 at -O3 misreads an insert
    // at the front as an overlapping copy (-Wrestrict).
    text.clear();
    if (value->negative && !AllZeros(result)) text.push_back('-');
    text += result;
    return true;
}

Fixed4 RoundFixed(int decimals, int mode, Fixed4 value) {
    // A value of ten-thousandths rounds in place by the same rule as its text would: the
    // first dropped digit decides, and nothing changes when no non-zero digit is dropped.
    // Values near the limit take the text path, which saturates.
    constexpr std::int64_t kNearLimit = std::numeric_limits<std::int64_t>::max() / 2;
    if (decimals >= 0 && decimals < 4 && value.raw > -kNearLimit && value.raw < kNearLimit) {
        std::int64_t unit = 1;
        for (int i = decimals; i < 4; ++i) unit *= 10;
        const bool negative = value.raw < 0;
        const std::int64_t magnitude = negative ? -value.raw : value.raw;
        const std::int64_t dropped = magnitude % unit;
        if (dropped == 0) return value;
        const std::int64_t firstDropped = dropped / (unit / 10);
        std::int64_t kept = magnitude - dropped;
        if ((mode == kRoundHalfUp && firstDropped >= 5) || (mode == kRoundUp && firstDropped > 0))
            kept += unit;
        return Fixed4::FromRaw(negative ? -kept : kept);
    }
    std::string text = Fixed4ToText(value);
    RoundDecimal(text, decimals, mode);
    return TextToFixed4(text);
}

char FilterKey(char key, int mode) {
    const bool digit = IsDigit(key);
    const bool backspace = key == 8;
    bool accepted = true;  // modes 3, 4 and any other mode leave typing alone
    switch (mode) {
        case 0:
            accepted = backspace || digit || key == '-';
            break;
        case 1:
            accepted = backspace || digit || key == '-' || key == '.';
            break;
        case 2:
            accepted = backspace || digit;
            break;
        default:
            break;
    }
    return accepted ? key : '\0';
}

}  // namespace quilto
