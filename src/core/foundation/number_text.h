#pragma once

// Numbers kept as text in grid cells and dialogs: validation, cleaning, formatting and
// rounding by the first dropped digit.

#include <string>
#include <string_view>

#include "foundation/fixed4.h"

namespace quilto {

// 1 blank, -1 not a valid decimal number (leading blanks allowed, nothing after it), 0 valid.
int IsInvalidNumber(std::string_view text);
long long ToInt(std::string_view text);
double ToFloat(std::string_view text);
std::string CleanNumber(std::string_view text);

// Status of FormatNumber: 0 ok, -1 not a number, -2 bad width/decimals, -4 too wide,
// -10 conversion failure.
struct FormattedNumber {
    int status = 0;
    std::string text;
};
FormattedNumber FormatNumber(int width, int decimals, std::string_view text, bool grouping);
std::string FormatGrouped(int width, int decimals, std::string_view text);
std::string FormatPlain(int width, int decimals, std::string_view text);

// Rounding modes: 0 half up, 1 truncate, 2 away from zero; anything else acts as 1.
enum RoundingMode : int { kRoundHalfUp = 0, kRoundTruncate = 1, kRoundUp = 2 };
int RoundDecimal(std::string& text, int decimals, int mode);
Fixed4 RoundFixed(int decimals, int mode, Fixed4 value);

// Input filter for number cells; a refused key comes back as 0.
char FilterKey(char key, int mode);

}  // namespace quilto
