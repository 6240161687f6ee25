#include "core/foundation/number_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace quilto {
namespace {

TEST(NumberText, WhatCountsAsANumber) {
    struct Case {
        std::string text;
        bool expected;
    };
    const Case cases[] = {
        {"", false},      {"   ", false},   {" \t ", false},     {"12", true},     {"  -1.5", true},
        {"+3", true},     {"10.", true},    {".5", true},        {"-.5", true},    {"1e3", true},
        {"1.5E-3", true}, {"2e+2", true},   {"007", true},       {"12 ", false},   {".", false},
        {"-", false},     {"+", false},     {"1,000", false},    {"1e", false},    {"1e+", false},
        {"0x10", false},  {"5-", false},    {"--5", false},      {"1.2.3", false}, {"\t5", false},
        {"e5", false},    {"1 000", false}, {"\x82\x50", false},  // a full-width digit
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsNumberText(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(NumberText, ToIntAcceptsOnlyPlainIntegers) {
    struct Case {
        std::string text;
        long long expected;
    };
    const Case cases[] = {
        {"12", 12},
        {" 12", 12},
        {"12 ", 0},
        {"12.0", 0},
        {"12.", 0},
        {"-42", -42},
        {"+7", 7},
        {"007", 7},
        {"1e3", 0},  // exponent form is not an integer text
        {"abc", 0},
        {"", 0},
        {"9223372036854775807", std::numeric_limits<long long>::max()},
        {"-9223372036854775808", std::numeric_limits<long long>::min()},
        {"9223372036854775808", 0},  // out of range
        {"100000000000000000000000000000", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToInt(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(NumberText, ToFloat) {
    EXPECT_DOUBLE_EQ(ToFloat(" 2.5"), 2.5);
    EXPECT_DOUBLE_EQ(ToFloat("+1e3"), 1000.0);
    EXPECT_DOUBLE_EQ(ToFloat("-.25"), -0.25);
    EXPECT_DOUBLE_EQ(ToFloat("8."), 8.0);
    EXPECT_DOUBLE_EQ(ToFloat("8 "), 0.0);
    EXPECT_DOUBLE_EQ(ToFloat("1,000"), 0.0);
    EXPECT_DOUBLE_EQ(ToFloat("1e99999"), 0.0);
}

TEST(NumberText, CleanNumberKeepsDigitsFirstPointAndFirstMinus) {
    struct Case {
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {" -12-3.4.5 ", "-123.45"},
        {"1,234\x89\x7E", "1234"},  // 1,234円
        {"-1,000.50", "-1000.50"},
        {"1.2.3", "1.23"},
        {"1,000-", "1000-"},       // the minus stays where it stood
        {"\x82\x50\x82\x51", ""},  // full-width digits are not digits
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CleanNumber(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(NumberText, FormatNumber) {
    struct Case {
        int width;
        int decimals;
        std::string text;
        bool grouping;
        NumberFormatStatus status;
        std::string expected;
    };
    const Case cases[] = {
        {14, 0, "1234567", true, NumberFormatStatus::kOk, "     1,234,567"},
        {14, 0, "1234567", false, NumberFormatStatus::kOk, "       1234567"},
        {10, 2, "-1234.5", true, NumberFormatStatus::kOk, " -1,234.50"},
        {6, 0, "10.", true, NumberFormatStatus::kOk, "    10"},
        {6, 0, "123", true, NumberFormatStatus::kOk, "   123"},
        {8, 3, " 0.1", false, NumberFormatStatus::kOk, "   0.100"},
        {4, 0, "999", true, NumberFormatStatus::kOk, " 999"},
        {8, 0, "1000", true, NumberFormatStatus::kOk, "   1,000"},
        {8, 0, "-100", true, NumberFormatStatus::kOk, "    -100"},
        // Halves go away from zero, decided on the exact decimal value.
        {8, 2, "2.345", false, NumberFormatStatus::kOk, "    2.35"},
        {8, 2, "-2.345", false, NumberFormatStatus::kOk, "   -2.35"},
        {8, 1, "0.05", false, NumberFormatStatus::kOk, "     0.1"},
        {8, 1, "1.0049", false, NumberFormatStatus::kOk, "     1.0"},
        {8, 0, "-0.4", false, NumberFormatStatus::kOk, "       0"},  // no "-0"
        {8, 0, "1e3", true, NumberFormatStatus::kOk, "   1,000"},
        {8, 2, "1.5e-3", false, NumberFormatStatus::kOk, "    0.00"},
        {6, 0, "123456", true, NumberFormatStatus::kTooWide, "123456"},
        {5, 0, "99999.5", false, NumberFormatStatus::kTooWide, "99999.5"},
        {6, 0, "1,000", true, NumberFormatStatus::kNotANumber, ""},
        {6, 0, "", true, NumberFormatStatus::kNotANumber, ""},
        {6, -1, "1", true, NumberFormatStatus::kBadLayout, ""},
        {3, 2, "1", true, NumberFormatStatus::kBadLayout, ""},  // integer width 0
        {6, 3, "1", true, NumberFormatStatus::kBadLayout,
         ""},  // integer width 2 is smaller than 3 decimals
        {0, 0, "1", true, NumberFormatStatus::kBadLayout, ""},
    };
    for (const Case& c : cases) {
        const FormattedNumber result = FormatNumber(c.width, c.decimals, c.text, c.grouping);
        EXPECT_EQ(result.status, c.status) << '"' << c.text << '"';
        EXPECT_EQ(result.text, c.expected) << '"' << c.text << '"';
    }
}

TEST(NumberText, PlainFallsBackToZero) {
    EXPECT_EQ(FormatPlain(8, 2, "abc"), "    0.00");
    EXPECT_EQ(FormatPlain(8, 2, "12.3"), "   12.30");
    // Width and decimals that nothing can fit give an empty text.
    EXPECT_EQ(FormatPlain(2, 2, "1"), "");
}

TEST(NumberText, HostileNumbersAreHandledWithoutSpellingThemOut) {
    const std::string longDigits = std::string(200000, '9');
    EXPECT_TRUE(IsNumberText(longDigits));
    EXPECT_EQ(ToInt(longDigits), 0);
    EXPECT_EQ(FormatPlain(14, 0, longDigits), std::string(13, ' ') + "0");
    EXPECT_EQ(FormatPlain(14, 0, "1e999999999999999999999"), std::string(13, ' ') + "0");
    EXPECT_EQ(FormatPlain(6, 2, "1e-999999999999999999999"), "  0.00");
    EXPECT_EQ(FormatPlain(6, 2, "0." + std::string(100000, '0') + "1"), "  0.00");

    std::string tiny = "1e-999999999999";
    EXPECT_TRUE(RoundDecimal(tiny, 2, kRoundUp));
    EXPECT_EQ(tiny, "0.00");  // its first dropped digit is a 0
    std::string huge = "1e999999999999";
    EXPECT_TRUE(RoundDecimal(huge, 2, kRoundHalfUp));
    EXPECT_EQ(huge, "1e999999999999");  // an integer: nothing to round
    std::string longFraction = "0." + std::string(100000, '9');
    EXPECT_TRUE(RoundDecimal(longFraction, 2, kRoundHalfUp));
    EXPECT_EQ(longFraction, "1.00");
}

TEST(NumberText, RoundDecimalLooksAtTheFirstDroppedDigitOnly) {
    struct Case {
        std::string text;
        int decimals;
        int mode;
        std::string expected;
    };
    const Case cases[] = {
        {"2.345", 2, kRoundHalfUp, "2.35"},
        {"2.345", 2, kRoundTruncate, "2.34"},
        {"2.345", 2, kRoundUp, "2.35"},
        {"-2.345", 2, kRoundHalfUp, "-2.35"},
        {"-2.345", 2, kRoundTruncate, "-2.34"},
        {"2.3449", 2, kRoundHalfUp, "2.34"},
        {"100.05", 0, kRoundUp, "100"},  // first dropped digit 0: not rounded up
        {"100.5", 0, kRoundUp, "101"},
        {"100.5", 0, kRoundHalfUp, "101"},
        {"100.4", 0, kRoundHalfUp, "100"},
        {"832.5", 0, kRoundTruncate, "832"},
        {"9.96", 1, kRoundHalfUp, "10."},  // carry: the cut falls one place early
        {"9.996", 2, kRoundHalfUp, "10.0"},
        {"99.5", 0, kRoundHalfUp, "100"},
        {"0.96", 1, kRoundHalfUp, "1.0"},
        {"-0.4", 0, kRoundHalfUp, "0"},
        {"-0.5", 0, kRoundHalfUp, "-1"},
        {"2.345", 2, 7, "2.34"},  // unknown modes truncate
        {" +2.345", 2, kRoundHalfUp, "2.35"},
        {"1.5e-1", 0, kRoundHalfUp, "0"},
        {"1e-3", 2, kRoundUp, "0.01"},
        // Nothing to drop: the text stays exactly as it was.
        {"123", 0, kRoundHalfUp, "123"},
        {"2.3", 2, kRoundHalfUp, "2.3"},
        {"2.50", 1, kRoundUp, "2.50"},
        {"10.", 0, kRoundUp, "10."},
        {"2.345", -1, kRoundUp, "2.345"},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        EXPECT_TRUE(RoundDecimal(text, c.decimals, c.mode)) << c.text;
        EXPECT_EQ(text, c.expected) << c.text << " to " << c.decimals << " in mode " << c.mode;
    }

    for (const std::string bad : {"", "abc", "1,000", "5-"}) {
        std::string text = bad;
        EXPECT_FALSE(RoundDecimal(text, 0, kRoundHalfUp)) << bad;
        EXPECT_EQ(text, bad);
    }
}

TEST(NumberText, RoundFixedToWholeUnits) {
    struct Case {
        std::int64_t raw;
        int mode;
        std::int64_t expected;
    };
    const Case cases[] = {
        {8325000, kRoundHalfUp, 8330000},    // 832.5
        {8325000, kRoundTruncate, 8320000},  // 832.5
        {8325000, kRoundUp, 8330000},        // 832.5
        {500500, kRoundUp, 500000},          // 50.05: only the 0 is looked at
        {-8325000, kRoundHalfUp, -8330000}, {99999, kRoundHalfUp, 100000},  // 9.9999
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RoundFixed(0, c.mode, Fixed4::FromRaw(c.raw)).raw, c.expected)
            << c.raw << " in mode " << c.mode;
    }
    EXPECT_EQ(RoundFixed(2, kRoundHalfUp, Fixed4::FromRaw(23450)).raw, 23500);  // 2.345
}

TEST(NumberText, FilterKey) {
    struct Case {
        char key;
        int mode;
        char expected;
    };
    const Case cases[] = {
        {'5', 0, '5'}, {'-', 0, '-'},   {'\b', 0, '\b'}, {'.', 0, '\0'}, {'a', 0, '\0'},
        {'.', 1, '.'}, {'-', 1, '-'},   {'x', 1, '\0'},  {'-', 2, '\0'}, {'.', 2, '\0'},
        {'7', 2, '7'}, {'\b', 2, '\b'}, {'x', 3, 'x'},   {'-', 4, '-'},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FilterKey(c.key, c.mode), c.expected) << c.key << " in mode " << c.mode;
    }
}

}  // namespace
}  // namespace quilto
