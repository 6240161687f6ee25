#include "core/editor/cell_painting.h"

#include "core/editor/line_kind.h"
#include "core/foundation/fixed4.h"
#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"

namespace quilto {

namespace {

bool IsQuantity(SheetKind sheet, int col) { return col == ColumnsOf(sheet).quantity; }

// Money columns and the width their figures are formatted to.
int MoneyWidth(SheetKind sheet, int col) {
    switch (sheet) {
        case SheetKind::Breakdown:
            return col == 6 || col == 7 ? 15 : 0;
        case SheetKind::Summary:
            return col >= 6 && col <= 9 ? 15 : 0;
        case SheetKind::Detail:
            return col >= 7 && col <= 10 ? 9 : 0;
    }
    return 0;
}

Fixed4 CellValue(const TextGrid& grid, int row, int col) {
    return TextToFixed4(CleanNumber(grid.Cell(row, col)));
}

// A number formatted for show; text that does not fit is shown as it stands.
std::string Formatted(const std::string& cell, Fixed4 value, int width, int decimals,
                      bool grouped) {
    const FormattedNumber f = FormatNumber(width, decimals, Fixed4ToText(value), grouped);
    return Trimmed(f.status == NumberFormatStatus::kOk ? f.text : cell);
}

}  // namespace

bool IsPaintedNumberColumn(SheetKind sheet, int col) {
    return IsQuantity(sheet, col) || MoneyWidth(sheet, col) > 0;
}

std::string PaintedCellText(const TextGrid& grid, SheetKind sheet, int row, int col,
                            const PaintSettings& settings) {
    const std::string& cell = grid.Cell(row, col);
    if (!IsPaintedNumberColumn(sheet, col)) return cell;
    const LineKind kind = LineKindOf(grid, row);
    const bool special = IsSpecialLine(kind);
    const Fixed4 value = CellValue(grid, row, col);
    const bool zero = value.raw == 0;
    const bool nameBlank = !HasText(grid.Cell(row, 3));

    if (IsQuantity(sheet, col)) {
        if (special || zero) return {};
        const int decimals = sheet == SheetKind::Breakdown ? 0 : settings.quantityDecimals;
        return Formatted(cell, value, ColumnSpecsOf(sheet)[col].maxBytes + 8, decimals, false);
    }
    // A zero that says nothing is left out: every zero of the detail sheet, and on the
    // breakdown and the summary alike a nameless line's and a special line's (a discount or
    // tax line has no cost, so both sheets show it blank rather than one of them "0").
    if (zero && (sheet == SheetKind::Detail || nameBlank || special)) return {};
    std::string text = Formatted(cell, value, MoneyWidth(sheet, col), 0, true);
    if (settings.discountSign && kind == LineKind::Nebiki && sheet != SheetKind::Detail && !zero &&
        (col == ColumnsOf(sheet).amount || col == ColumnsOf(sheet).cost)) {
        text = "-" + text;  // not insert(0, ...): GCC 12 at -O2 warns falsely (-Wrestrict)
    }
    return text;
}

bool IsPageRow(const TextGrid& grid, int row) {
    const std::string_view number = TrimmedRightView(grid.Cell(row, 0));
    return !number.empty() && number.back() == '*';
}

bool IsBelowCost(const TextGrid& grid, SheetKind sheet, int row) {
    if (sheet == SheetKind::Breakdown) return false;
    const SheetColumns& c = ColumnsOf(sheet);
    return CellValue(grid, row, c.amount) < CellValue(grid, row, c.cost);
}

}  // namespace quilto
