#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quilto {

// An exact decimal with four places, stored as value x 10000. Every amount, quantity,
// price and the tax rate is one of these, in memory and in the files.
struct Fixed4 {
    std::int64_t raw = 0;

    static constexpr std::int64_t kScale = 10000;

    static constexpr Fixed4 FromRaw(std::int64_t r) { return Fixed4{r}; }
    static constexpr Fixed4 FromInt(std::int64_t v) { return Fixed4{v * kScale}; }

    friend constexpr bool operator==(Fixed4, Fixed4) = default;
    friend constexpr auto operator<=>(Fixed4, Fixed4) = default;
    // Sums saturate rather than overflow: typed figures can be as large as a cell holds, and
    // a running total of them must stay defined.
    friend constexpr Fixed4 operator+(Fixed4 a, Fixed4 b) {
        std::int64_t r = 0;
        if (__builtin_add_overflow(a.raw, b.raw, &r)) return Saturated(b.raw > 0);
        return Fixed4{r};
    }
    friend constexpr Fixed4 operator-(Fixed4 a, Fixed4 b) {
        std::int64_t r = 0;
        if (__builtin_sub_overflow(a.raw, b.raw, &r)) return Saturated(b.raw < 0);
        return Fixed4{r};
    }
    static constexpr Fixed4 Saturated(bool positive) {
        constexpr std::int64_t kMax = 0x7fffffffffffffff;
        return Fixed4{positive ? kMax : -kMax};
    }
    constexpr Fixed4& operator+=(Fixed4 b) { return *this = *this + b; }
    constexpr Fixed4& operator-=(Fixed4 b) { return *this = *this - b; }
    friend constexpr Fixed4 operator-(Fixed4 a) { return Fixed4{} - a; }
};

// True for a value at the edge of the range, which is where sums, products and conversions
// that ran past it stop: such a figure is not the true result.
constexpr bool IsSaturated(Fixed4 value) {
    constexpr std::int64_t kMax = 0x7fffffffffffffff;
    return value.raw >= kMax || value.raw <= -kMax;
}

// The value in shortest decimal form: 80000 -> "8", 12345 -> "1.2345", -5000 -> "-0.5".
std::string Fixed4ToText(Fixed4 value);
// The same written into text, reusing its storage.
void AssignFixed4Text(std::string& text, Fixed4 value);

// A cell text as a Fixed4: cleaned (CleanNumber), blank or non-numeric taken as 0, converted
// exactly and rounded to the nearest ten-thousandth (halves away from zero). Text too large
// for the type saturates at +/- the largest raw value (never the most negative one, so that
// negation stays defined).
Fixed4 TextToFixed4(std::string_view text);

namespace detail {
// The general conversion behind TextToFixed4, which takes a one-pass shortcut for ordinary
// cell texts; kept visible so tests can hold the two against each other.
Fixed4 ExactTextToFixed4(std::string_view text);
}  // namespace detail

}  // namespace quilto
