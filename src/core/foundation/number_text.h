#pragma once

// Numbers kept as text in grid cells and dialogs: validation, cleaning, formatting and
// rounding by the first dropped digit.

#include <string>
#include <string_view>

#include "core/foundation/fixed4.h"

namespace quilto {

// A valid decimal number (leading blanks allowed, nothing after it); a blank text is none.
// The accepted forms are written out at ParseDecimal (foundation/decimal_text.h).
bool IsNumberText(std::string_view text);
// The integer value; 0 for anything else: invalid text, a ".", an exponent (1e3) or a value
// outside the range of long long.
long long ToInt(std::string_view text);
// The nearest double; 0 for invalid text and for values beyond the range of a double.
double ToFloat(std::string_view text);
// Trimmed, then only the digits, the first "." and the first "-" are kept, where they stand.
std::string CleanNumber(std::string_view text);

enum class NumberFormatStatus {
    kOk,
    kNotANumber,
    kBadLayout,  // a width or decimals that leave no room for the integer part
    kTooWide,
};
struct FormattedNumber {
    NumberFormatStatus status = NumberFormatStatus::kOk;
    std::string text;
};
// Right-aligned in width bytes with the given decimals; more decimals than asked are rounded
// half away from zero on the exact decimal value. Too wide: kTooWide and the text as given;
// otherwise not kOk gives an empty text.
FormattedNumber FormatNumber(int width, int decimals, std::string_view text, bool grouping);
// FormatNumber without grouping, with a right-aligned "0" in place of anything it refuses.
std::string FormatPlain(int width, int decimals, std::string_view text);

// Rounding modes: 0 half up, 1 truncate, 2 away from zero; anything else acts as 1.
enum RoundingMode : int { kRoundHalfUp = 0, kRoundTruncate = 1, kRoundUp = 2 };
// Rounds in place by the first dropped digit only; false (text unchanged) when it is not a
// number. A rounded text comes back in plain decimal form (possibly ending in "." after a
// carry); a text with nothing to drop, or negative decimals, is left as it was.
bool RoundDecimal(std::string& text, int decimals, int mode);
Fixed4 RoundFixed(int decimals, int mode, Fixed4 value);

// Input filter for number cells; a refused key comes back as 0.
char FilterKey(char key, int mode);

}  // namespace quilto
