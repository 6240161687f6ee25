#pragma once

// How a text written into a cell is stored, the way a spreadsheet reads typed text: a text
// that reads as a number becomes a number, a leading apostrophe keeps the rest as text, and
// nothing ever becomes a formula.

#include <optional>
#include <string>
#include <string_view>

namespace quilto {

// The number a typed text stands for, in plain decimal form ("-1234567.5"), or nullopt
// when it is text. Read as a number: blanks around it, one sign, digits grouped by
// thousands separators ("1,234,567"; groups after the first of exactly three digits), a
// decimal point with digits on either side or both. Not read as numbers here (they stay
// text): exponents, percentages, currency signs, full-width digits.
std::optional<std::string> TypedNumber(std::string_view text);

}  // namespace quilto
