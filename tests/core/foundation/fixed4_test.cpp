#include "core/foundation/fixed4.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace quilto {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

TEST(Fixed4, ShownInShortestDecimalForm) {
    struct Case {
        std::int64_t raw;
        std::string expected;
    };
    const Case cases[] = {
        {80000, "8"},
        {12345, "1.2345"},
        {-5000, "-0.5"},
        {0, "0"},
        {1, "0.0001"},
        {-10, "-0.001"},
        {1234500, "123.45"},
        {kMax, "922337203685477.5807"},
        {std::numeric_limits<std::int64_t>::min(), "-922337203685477.5808"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Fixed4ToText(Fixed4::FromRaw(c.raw)), c.expected) << c.raw;
    }
}

TEST(Fixed4, TextIsCleanedAndConvertedExactly) {
    struct Case {
        std::string text;
        std::int64_t expected;
    };
    const Case cases[] = {
        {"8", 80000},
        {"1,234,567", 12345670000},
        {" -1,000.50 ", -10005000},
        {"1.2345", 12345},
        {"", 0},
        {"   ", 0},
        {"abc", 0},
        {"-", 0},
        {"5-", 0},  // cleaned, but still not a number
        {"10.", 100000},
        {".5", 5000},
        {"1.2.3", 12300},  // cleaning keeps the first point only
        // The fifth decimal rounds, halves away from zero, on the exact decimal value.
        {"1.00005", 10001},
        {"1.00004999", 10000},
        {"-1.00005", -10001},
        {"0.00004", 0},
        {"0.00005", 1},
        {"2.675", 26750},
        {"0.0000000000000000000000009", 0},
        {"922337203685477.5807", kMax},
        // Too large for the type: saturates instead of wrapping.
        {"922337203685477.5808", kMax},
        {"922337203685477.58075", kMax},
        {"99999999999999999999999", kMax},
        {"-99999999999999999999999", -kMax},
        {std::string(5000, '9'), kMax},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextToFixed4(c.text).raw, c.expected) << '"' << c.text << '"';
    }
}

TEST(Fixed4, RoundTripsThroughText) {
    for (const std::int64_t raw :
         {std::int64_t{0}, std::int64_t{1}, std::int64_t{-1}, std::int64_t{99999},
          std::int64_t{123456789}, std::int64_t{-80000}, kMax, -kMax}) {
        EXPECT_EQ(TextToFixed4(Fixed4ToText(Fixed4::FromRaw(raw))).raw, raw) << raw;
    }
}

}  // namespace
}  // namespace quilto
