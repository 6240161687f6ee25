#pragma once

// A detail row filled from the product master: what the product guide does when the user
// picks a product for the current detail line.

#include <string_view>

#include "core/editor/sheet_calculation.h"
#include "core/foundation/text_grid.h"
#include "core/masters/master_lists.h"

namespace quilto {

// Looks the product up by construction code (category) and product code. Found: the row
// receives code, name (30 bytes), specification (30), unit, unit price, cost unit price and
// remarks; quantity, amount and labour rate are emptied; the row is brought into display
// form. Not found, or a blank code: the row's code and name are emptied. true when found.
bool FillDetailRowFromProduct(TextGrid& detail, int row, const MasterLists& masters,
                              std::string_view category, std::string_view productCode,
                              const CalculationSettings& settings);

}  // namespace quilto
