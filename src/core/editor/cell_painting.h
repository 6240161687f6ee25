#pragma once

// What a grid cell shows when it is painted, apart from its stored text: numbers in their
// display form (blank in place of zero where a zero says nothing), the page rows, and the
// lines sold below their cost.

#include <string>

#include "core/editor/sheet_layout.h"
#include "core/foundation/text_grid.h"

namespace quilto {

struct PaintSettings {
    int quantityDecimals = 1;   // summary and detail quantities: 1 or 2
    bool discountSign = false;  // a discount's amount and cost are shown with "-" in front
};

// Whether a column is drawn as a number, right-aligned.
bool IsPaintedNumberColumn(SheetKind sheet, int col);

// The text a numeric cell is drawn with (trimmed; empty for a blank). Any other cell is
// drawn as stored and this returns its text unchanged.
std::string PaintedCellText(const TextGrid& grid, SheetKind sheet, int row, int col,
                            const PaintSettings& settings);

// The first row of a page: its number cell carries the page marker "*".
bool IsPageRow(const TextGrid& grid, int row);

// Summary and detail lines whose amount is below their cost draw their figures in red.
bool IsBelowCost(const TextGrid& grid, SheetKind sheet, int row);

}  // namespace quilto
