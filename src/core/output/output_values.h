#pragma once

// The rules by which an estimate's texts become cell values, shared by the standard and
// the free-form outputs. Texts are CP932.

#include <string>
#include <string_view>

#include "core/foundation/fixed4.h"

namespace quilto {

// Pages for `lines` lines with `first` lines on the first page and `following` on each
// later one: 1 when lines <= first (negative lines count as 0), else
// 1 + ceil((lines - first) / following). A first or following of 0 or less counts as 20.
int PageCount(int lines, int first, int following);

// The margin rate (粗利率) of an amount and its cost: (amount - cost) / amount x 100,
// rounded half up to two decimals, in shortest form ("25", "33.33"); "0" for a zero amount.
std::string MarginRate(Fixed4 amount, Fixed4 cost);
// The same for two cell texts (cleaned; blank or non-numeric is 0).
std::string MarginRate(std::string_view amount, std::string_view cost);

// Remarks beginning with "//" are the writer's own notes and are never printed.
bool PrintsRemarks(std::string_view remarks);

// A discount line's amount as printed: with the discount-sign option on and an amount that
// is not blank, "-" and the trimmed amount; otherwise the amount unchanged.
std::string DiscountAmount(std::string_view amount, bool discountSign);

// A cleaned amount of "" or "0" counts as no amount.
bool IsNoAmount(std::string_view amount);

}  // namespace quilto
