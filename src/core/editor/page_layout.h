#pragma once

// Rows per page, the row-number column with its page markers, and the status texts.

#include <string>

#include "core/editor/sheet_layout.h"
#include "core/excel/table_definition.h"  // EffectiveRowsPerPage: 0 rows a page means 20
#include "core/foundation/text_grid.h"

namespace quilto {

bool IsFirstRowOfPage(int row, int rowsPerPage);
// "%3d" (summary "%4d") followed by "*" on the first row of a page, else a blank.
std::string RowNumberText(SheetKind sheet, int row, int rowsPerPage);
int PageOfRow(SheetKind sheet, int row, int rowsPerPage);

// Header texts (CP932) and row numbers of a sheet's grid; current row 1.
void SetUpSheetGrid(TextGrid& grid, SheetKind sheet, int rowsPerPage);

// The status panel text (CP932), e.g. 内訳書 ( 5行 1頁 /使用行数=12行 /max=300行).
std::string StatusText(SheetKind sheet, int row, int rowsPerPage, int lastUsedRow);

}  // namespace quilto
