#include "core/foundation/decimal_text.h"

#include <cstddef>

namespace quilto {
namespace {

// Far beyond any width or scale the program uses, and far from overflowing long long even
// after adding a text's length.
constexpr long long kExponentLimit = 1'000'000'000'000'000LL;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<DecimalText> ParseDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;

    DecimalText result;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        result.negative = text[i] == '-';
        ++i;
    }

    // Mantissa: collect every digit, counting those after the point.
    std::string mantissa;
    long long fractionDigits = 0;
    bool anyDigit = false;
    while (i < text.size() && IsDigit(text[i])) {
        mantissa.push_back(text[i++]);
        anyDigit = true;
    }
    if (i < text.size() && text[i] == '.') {
        result.hasPoint = true;
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            mantissa.push_back(text[i++]);
            ++fractionDigits;
            anyDigit = true;
        }
    }
    if (!anyDigit) return std::nullopt;

    long long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        result.hasExponent = true;
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            negativeExponent = text[i] == '-';
            ++i;
        }
        if (i >= text.size() || !IsDigit(text[i])) return std::nullopt;
        while (i < text.size() && IsDigit(text[i])) {
            if (exponent < kExponentLimit) exponent = exponent * 10 + (text[i] - '0');
            ++i;
        }
        if (negativeExponent) exponent = -exponent;
    }
    if (i != text.size()) return std::nullopt;

    // Normalise: no leading zeros, no trailing zeros (moved into the exponent).
    std::size_t first = mantissa.find_first_not_of('0');
    if (first == std::string::npos) {
        result.negative = false;
        return result;  // zero
    }
    std::size_t last = mantissa.find_last_not_of('0');
    const auto trailingZeros = static_cast<long long>(mantissa.size() - 1 - last);
    result.digits = mantissa.substr(first, last + 1 - first);
    result.exponent = exponent - fractionDigits + trailingZeros;
    return result;
}

void IncrementDigits(std::string& digits) {
    for (std::size_t i = digits.size(); i > 0; --i) {
        if (digits[i - 1] != '9') {
            ++digits[i - 1];
            return;
        }
        digits[i - 1] = '0';
    }
    digits.insert(digits.begin(), '1');
}

}  // namespace quilto
