#pragma once

// Exact reading of a decimal number written as text. Numbers in cells are worked on as
// decimal digits, never through binary floating point, so that 2.345 stays 2.345.

#include <optional>
#include <string>
#include <string_view>

namespace quilto {

// The value is (negative ? -1 : 1) x digits x 10^exponent. digits has neither leading nor
// trailing zeros and is empty for zero (exponent then 0). Exponents are saturated far
// beyond anything a cell can show, so hostile texts cannot overflow them.
struct DecimalText {
    bool negative = false;
    std::string digits;
    long long exponent = 0;
    bool hasPoint = false;     // the text was written with a "."
    bool hasExponent = false;  // the text was written with an exponent
};

// What counts as a valid decimal number: the forms the float conversion of the old program
// accepted, that is
//     number   = blank* sign? mantissa exponent?
//     sign     = "+" | "-"
//     mantissa = digit+ ("." digit*)?  |  "." digit+
//     exponent = ("e" | "E") sign? digit+
// where blank is the space. Leading blanks are allowed; nothing may follow the number, not
// even a blank. So "12", " -1.5", "+3", "10.", ".5" and "1e3" are numbers; "", "1 ", ".",
// "-", "1,000", "1e", "0x10" and "5-" are not.
std::optional<DecimalText> ParseDecimal(std::string_view text);

// Adds one to a string of decimal digits ("199" -> "200", "99" -> "100").
void IncrementDigits(std::string& digits);

}  // namespace quilto
