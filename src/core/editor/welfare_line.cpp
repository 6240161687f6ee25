#include "core/editor/welfare_line.h"

#include "core/editor/itemised_costs.h"
#include "core/editor/line_kind.h"
#include "core/foundation/cp932.h"
#include "core/foundation/fixed4_arithmetic.h"
#include "core/foundation/number_text.h"
#include "core/store/cost_class.h"

namespace quilto {

namespace {

std::string Cp932Of(const std::string& utf8) { return Utf8ToCp932(utf8).value_or(std::string()); }

int RowOfClass(const TextGrid& grid, CostClass cls) {
    const int column = ColumnsOf(SheetKind::Detail).costClass;
    for (int row = 1; row < grid.RowCount(); ++row) {
        if (!IsSpecialLine(LineKindOf(grid, row)) && !grid.Cell(row, column).empty() &&
            CostClassOfCellText(grid.Cell(row, column)) == cls)
            return row;
    }
    return 0;
}

int RowOfKind(const TextGrid& grid, LineKind kind) {
    for (int row = 1; row < grid.RowCount(); ++row)
        if (LineKindOf(grid, row) == kind) return row;
    return 0;
}

}  // namespace

WelfareLine PlaceWelfareLine(EstimateDocument& document, Fixed4 ratePercent, int amountRounding) {
    WelfareLine placed;
    const int sheet = document.DetailSheetRow();
    if (sheet < 1) return placed;
    TextGrid& grid = document.Grid(SheetKind::Detail);
    const SheetColumns& c = ColumnsOf(SheetKind::Detail);
    int row = RowOfClass(grid, CostClass::Welfare);
    // The line's own amount is no labour, so it never feeds its own rate.
    ClassAmounts classes = SplitDetailSheet(document, sheet, amountRounding).classes;
    placed.labour = AmountOf(classes, CostClass::Labour);
    if (placed.labour.raw <= 0) {
        placed.result = WelfareLineResult::kNoLabour;
        return placed;
    }
    placed.amount = RoundFixed(0, amountRounding, PercentOf(placed.labour, ratePercent));
    placed.result = WelfareLineResult::kUpdated;
    if (row == 0) {
        const int last = LastUsedGridRow(grid);
        if (last >= grid.RowCount() - 1) {
            placed.result = WelfareLineResult::kSheetFull;
            return placed;
        }
        row = RowOfKind(grid, LineKind::Nakakei);
        if (row > 0) {
            const int current = grid.CurrentRow();
            grid.SetCurrentRow(row);
            InsertGridRow(grid, 1);
            grid.SetCurrentRow(current >= row ? current + 1 : current);
        } else {
            row = last + 1;
        }
        placed.result = WelfareLineResult::kAdded;
    }
    grid.SetCell(row, 3, Cp932Of("法定福利費（事業主負担分）"));
    grid.SetCell(row, 4,
                 Cp932Of("労務費 " + Fixed4ToText(placed.labour) + "円 × " +
                         Fixed4ToText(ratePercent) + "%"));
    grid.SetCell(row, c.unit, Cp932Of("式"));
    grid.SetCell(row, c.quantity, "1");
    grid.SetCell(row, c.unitPrice, Fixed4ToText(placed.amount));
    grid.SetCell(row, c.amount, Fixed4ToText(placed.amount));
    grid.SetCell(row, c.labourRate, {});
    grid.SetCell(row, c.costClass, CostClassCellText(CostClass::Welfare));
    placed.row = row;
    return placed;
}

}  // namespace quilto
