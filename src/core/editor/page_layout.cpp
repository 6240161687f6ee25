#include "core/editor/page_layout.h"

#include <algorithm>
#include <cstdio>

#include "core/foundation/cp932.h"

namespace quilto {

namespace {

// Texts of the program itself: always representable.
std::string Cp932Of(const char* utf8) { return Utf8ToCp932(utf8).value_or(std::string()); }

}  // namespace

bool IsFirstRowOfPage(int row, int rowsPerPage) {
    const int n = EffectiveRowsPerPage(rowsPerPage);
    return row == 1 || (row - n - 1 >= 0 && (row - n - 1) % n == 0);
}

std::string RowNumberText(SheetKind sheet, int row, int rowsPerPage) {
    char text[16];
    std::snprintf(text, sizeof text, sheet == SheetKind::Summary ? "%4d%c" : "%3d%c", row,
                  IsFirstRowOfPage(row, rowsPerPage) ? '*' : ' ');
    return text;
}

int PageOfRow(SheetKind sheet, int row, int rowsPerPage) {
    const int n = EffectiveRowsPerPage(rowsPerPage);
    const int last = ColumnsOf(sheet).lastDataRow;
    const int beyondFirst = std::min(std::max(row, 0), last) - n;
    return beyondFirst <= 0 ? 1 : 1 + (beyondFirst + n - 1) / n;
}

void SetUpSheetGrid(TextGrid& grid, SheetKind sheet, int rowsPerPage) {
    const auto& specs = ColumnSpecsOf(sheet);
    for (int col = 0; col < static_cast<int>(specs.size()); ++col)
        grid.SetCell(0, col, Cp932Of(specs[static_cast<std::size_t>(col)].header));
    for (int row = 1; row < grid.RowCount(); ++row)
        grid.SetCell(row, 0, RowNumberText(sheet, row, rowsPerPage));
    grid.SetCurrentRow(1);
}

std::string StatusText(SheetKind sheet, int row, int rowsPerPage, int lastUsedRow) {
    const char* name = sheet == SheetKind::Summary     ? "総括書"
                       : sheet == SheetKind::Breakdown ? "内訳書"
                                                       : "明細書";
    char text[160];
    std::snprintf(text, sizeof text, "%s ( %d行 %d頁 /使用行数=%d行 /max=%d行)", name, row,
                  PageOfRow(sheet, row, rowsPerPage), lastUsedRow, ColumnsOf(sheet).lastDataRow);
    return Cp932Of(text);
}

}  // namespace quilto
