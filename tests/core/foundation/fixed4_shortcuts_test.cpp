// The one-pass conversions the calculations use must agree with the general routines on
// every input, ordinary or odd.

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string>

#include "core/foundation/fixed4.h"
#include "core/foundation/fixed4_arithmetic.h"
#include "core/foundation/fixed4_format.h"
#include "core/foundation/number_text.h"

namespace quilto {
namespace {

TEST(Fixed4Shortcuts, TextConversionAgreesWithTheExactPath) {
    const char* fixed[] = {"",
                           " ",
                           "-",
                           ".",
                           "5-",
                           "-5",
                           "- 5",
                           ".-5",
                           "-.5",
                           "1,234,567",
                           "0.00005",
                           "0.00004",
                           "-0.00005",
                           "12.34567",
                           "99999999999999",
                           "999999999999999",
                           "1e3",
                           "１２",
                           "12円",
                           "\x81\x40",
                           "00000123",
                           "1.2.3",
                           "--1",
                           "12-3"};
    for (const char* text : fixed)
        EXPECT_EQ(TextToFixed4(text), detail::ExactTextToFixed4(text)) << "'" << text << "'";

    std::mt19937 random(7);
    const std::string alphabet = "0123456789000.,- -a\x82";
    for (int i = 0; i < 200000; ++i) {
        std::string text(random() % 22, ' ');
        for (char& ch : text) ch = alphabet[random() % alphabet.size()];
        ASSERT_EQ(TextToFixed4(text), detail::ExactTextToFixed4(text)) << "'" << text << "'";
    }
}

TEST(Fixed4Shortcuts, FormattingAgreesWithTheNumberFormatter) {
    std::mt19937_64 random(11);
    for (int i = 0; i < 200000; ++i) {
        // Mostly values of every magnitude, some exact halves and zeros.
        std::int64_t raw = static_cast<std::int64_t>(random() >> (random() % 64));
        if (i % 7 == 0) raw = (raw / 10000) * 10000 + 5000;
        if (i % 11 == 0) raw = static_cast<std::int64_t>(random() % 10);
        if (random() % 2) raw = -raw;
        const Fixed4 value = Fixed4::FromRaw(raw);
        const int width = 1 + static_cast<int>(random() % 20);
        const int decimals = static_cast<int>(random() % 5);
        const bool grouped = random() % 2;
        const FormattedNumber expected =
            FormatNumber(width, decimals, Fixed4ToText(value), grouped);
        const auto quick = FormatFixed4(value, width, decimals, grouped);
        if (expected.status == NumberFormatStatus::kOk) {
            ASSERT_TRUE(quick.has_value()) << raw << " " << width << " " << decimals;
            ASSERT_EQ(*quick, expected.text) << raw << " " << width << " " << decimals;
        } else {
            ASSERT_FALSE(quick.has_value())
                << raw << " " << width << " " << decimals << " '" << *quick << "' status "
                << static_cast<int>(expected.status);
        }
    }
}

TEST(Fixed4Shortcuts, RoundingAgreesWithRoundingTheText) {
    std::mt19937_64 random(13);
    const std::int64_t limit = std::numeric_limits<std::int64_t>::max();
    for (int i = 0; i < 20000; ++i) {
        std::int64_t raw = static_cast<std::int64_t>(random() >> (random() % 64));
        if (i % 7 == 0) raw = static_cast<std::int64_t>(random() % 100000);
        if (i % 101 == 0) raw = limit - static_cast<std::int64_t>(random() % 20000);
        if (random() % 2) raw = -raw;
        const int decimals = static_cast<int>(random() % 6) - 1;
        const int mode = static_cast<int>(random() % 4);
        std::string text = Fixed4ToText(Fixed4::FromRaw(raw));
        RoundDecimal(text, decimals, mode);
        ASSERT_EQ(RoundFixed(decimals, mode, Fixed4::FromRaw(raw)).raw, TextToFixed4(text).raw)
            << raw << " to " << decimals << " decimals in mode " << mode;
    }
}

// The exact product to ten-thousandths, halves to even, saturated: what Multiply must give
// whether or not the product fits in 64 bits.
std::int64_t ExactProduct(std::int64_t a, std::int64_t b) {
    const __int128 product = static_cast<__int128>(a) * b;
    __int128 quotient = product / Fixed4::kScale;
    __int128 remainder = product % Fixed4::kScale;
    if (remainder < 0) remainder = -remainder;
    if (remainder * 2 > Fixed4::kScale || (remainder * 2 == Fixed4::kScale && quotient % 2 != 0))
        quotient += product < 0 ? -1 : 1;
    const __int128 max = std::numeric_limits<std::int64_t>::max();
    const __int128 min = std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(quotient > max ? max : quotient < min ? min : quotient);
}

TEST(Fixed4Shortcuts, MultiplyRoundsHalvesToEvenAcrossTheWidths) {
    const std::int64_t fixed[][2] = {{1, 5000},  {3, 5000},   {-1, 5000},  {-3, 5000},
                                     {25000, 3}, {15000, -1}, {0, 123456}, {-15000, -15000}};
    for (const auto& f : fixed)
        EXPECT_EQ(Multiply(Fixed4::FromRaw(f[0]), Fixed4::FromRaw(f[1])).raw,
                  ExactProduct(f[0], f[1]))
            << f[0] << " x " << f[1];
    std::mt19937_64 random(17);
    for (int i = 0; i < 20000; ++i) {
        std::int64_t a = static_cast<std::int64_t>(random() >> (random() % 64));
        std::int64_t b = static_cast<std::int64_t>(random() >> (random() % 64));
        if (random() % 2) a = -a;
        if (random() % 2) b = -b;
        ASSERT_EQ(Multiply(Fixed4::FromRaw(a), Fixed4::FromRaw(b)).raw, ExactProduct(a, b))
            << a << " x " << b;
    }
}

}  // namespace
}  // namespace quilto

namespace quilto {
namespace {

TEST(Fixed4Sums, SaturateInsteadOfOverflowing) {
    const Fixed4 big = Fixed4::FromRaw(9'223'372'036'854'770'000);
    EXPECT_EQ((big + big).raw, 9'223'372'036'854'775'807);
    EXPECT_EQ((-big - big).raw, -9'223'372'036'854'775'807);
    Fixed4 sum = big;
    sum += Fixed4::FromInt(1'000'000);
    EXPECT_EQ(sum.raw, 9'223'372'036'854'775'807);
    EXPECT_EQ((-Fixed4::FromRaw(INT64_MIN)).raw, 9'223'372'036'854'775'807);
    EXPECT_EQ(Fixed4::FromInt(2) - Fixed4::FromInt(5), Fixed4::FromInt(-3));
}

}  // namespace
}  // namespace quilto
