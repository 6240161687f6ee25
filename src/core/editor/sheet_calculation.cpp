#include "editor/sheet_calculation.h"

#include <initializer_list>

#include "editor/line_kind.h"
#include "foundation/fixed4_arithmetic.h"
#include "foundation/fixed4_format.h"
#include "foundation/number_text.h"
#include "foundation/text_bytes.h"

namespace quilto {

namespace {

constexpr int kNameColumn = 3;
constexpr int kSpecColumn = 4;  // detail sheet only
constexpr int kLabourDecimals = 3;
constexpr int kLabourAmountWidth = 12;

Fixed4 ValueAt(const TextGrid& grid, int row, int col) {
    return col == kNoColumn ? Fixed4{} : TextToFixed4(grid.Cell(row, col));
}

void SetPlain(TextGrid& grid, int row, int col, Fixed4 value) {
    if (col != kNoColumn) grid.SetCell(row, col, Fixed4ToText(value));
}

void ClearColumns(TextGrid& grid, int row, int from, int to) {
    for (int c = from; c <= to; ++c) grid.SetCell(row, c, {});
}

void ClearCells(TextGrid& grid, int row, std::initializer_list<int> cols) {
    for (int c : cols)
        if (c != kNoColumn) grid.SetCell(row, c, {});
}

bool IsBlank(const TextGrid& grid, int row, int col) { return HasText(grid.Cell(row, col)) == 0; }

int MaxBytesOf(SheetKind sheet, int col) { return ColumnSpecsOf(sheet)[col].maxBytes; }

const std::string& CaptionFor(LineKind kind, const CalculationSettings& s) {
    switch (kind) {
        case LineKind::Syokei:
            return s.subtotalCaption;
        case LineKind::Nakakei:
            return s.totalCaption;
        case LineKind::Goukei:
            return s.grandTotalCaption;
        case LineKind::Nebiki:
            return s.discountCaption;
        default:
            return s.taxCaption;
    }
}

// Step 1: a numeric cell holding only "-" counts as empty.
void ClearDashCells(TextGrid& grid, SheetKind sheet, int row) {
    const SheetColumns& c = ColumnsOf(sheet);
    auto clearDash = [&](int col) {
        if (col != kNoColumn && TrimmedView(grid.Cell(row, col)) == "-") grid.SetCell(row, col, {});
    };
    clearDash(c.quantity);
    if (sheet == SheetKind::Breakdown) return;
    clearDash(c.amount);
    clearDash(c.costUnitPrice);
    if (sheet == SheetKind::Detail) {
        clearDash(c.unitPrice);
        clearDash(c.cost);
    }
}

struct RunningSums {
    Fixed4 subtotal, section, grandTotal, estimate;
    Fixed4 subtotalCost, costTotal;
    Fixed4 taxBase, tax;
    Fixed4 labourSubtotal, labourTotal;
};

void WorkOutOrdinaryLine(TextGrid& grid, SheetKind sheet, int row, const CalculationSettings& s,
                         RunningSums& sums) {
    const SheetColumns& c = ColumnsOf(sheet);
    Fixed4 amount;
    Fixed4 cost;
    if (sheet == SheetKind::Breakdown) {
        amount = ValueAt(grid, row, c.amount);
        cost = ValueAt(grid, row, c.cost);
        SetPlain(grid, row, c.amount, amount);
    } else {
        const Fixed4 quantity = ValueAt(grid, row, c.quantity);
        const Fixed4 unitPrice = ValueAt(grid, row, c.unitPrice);
        if (unitPrice.raw != 0) {
            amount = RoundFixed(0, s.amountRounding, Multiply(quantity, unitPrice));
            SetPlain(grid, row, c.amount, amount);
        } else {
            amount = ValueAt(grid, row, c.amount);
        }
        const std::string_view costUnitPrice = TrimmedView(grid.Cell(row, c.costUnitPrice));
        if (!costUnitPrice.empty() && costUnitPrice != "0") {
            cost = Multiply(quantity, TextToFixed4(costUnitPrice));
            SetPlain(grid, row, c.cost, cost);
        } else {
            cost = ValueAt(grid, row, c.cost);
        }
        if (sheet == SheetKind::Detail) {
            const Fixed4 labour = Multiply(ValueAt(grid, row, c.labourRate), quantity);
            sums.labourSubtotal += labour;
            sums.labourTotal += labour;
        }
    }
    sums.subtotal += amount;
    sums.section += amount;
    sums.grandTotal += amount;
    sums.estimate += amount;
    sums.subtotalCost += cost;
    sums.costTotal += cost;
}

void WorkOutSpecialLine(TextGrid& grid, SheetKind sheet, int row, LineKind kind,
                        const CalculationSettings& s, RunningSums& sums) {
    const SheetColumns& c = ColumnsOf(sheet);
    const bool detail = sheet == SheetKind::Detail;
    switch (kind) {
        case LineKind::Syokei:
            ClearColumns(grid, row, 4, c.remarks);
            SetPlain(grid, row, c.amount, sums.subtotal);
            SetPlain(grid, row, c.cost, sums.subtotalCost);
            if (detail) SetPlain(grid, row, c.labourRate, sums.labourSubtotal);
            sums.subtotal = sums.subtotalCost = sums.labourSubtotal = Fixed4{};
            break;
        case LineKind::Nakakei:
            ClearColumns(grid, row, 4, c.remarks);
            sums.taxBase = sums.section;
            SetPlain(grid, row, c.amount, sums.section);
            SetPlain(grid, row, c.cost, sums.costTotal);
            if (detail) SetPlain(grid, row, c.labourRate, sums.labourTotal);
            sums.subtotal = sums.section = sums.labourTotal = Fixed4{};
            break;
        case LineKind::Goukei:
            ClearColumns(grid, row, 4, c.remarks);
            SetPlain(grid, row, c.amount, sums.grandTotal + sums.tax);
            sums.grandTotal = sums.section = sums.subtotal = Fixed4{};
            break;
        case LineKind::Nebiki: {
            if (sheet == SheetKind::Breakdown) {
                ClearCells(grid, row, {c.quantity, c.cost});
            } else if (sheet == SheetKind::Summary) {
                ClearCells(grid, row, {c.quantity, c.unitPrice, c.costUnitPrice, c.cost});
            } else {
                ClearCells(grid, row, {c.unit, c.costUnitPrice});
                grid.SetCell(row, c.quantity, "1");
            }
            const Fixed4 discount = ValueAt(grid, row, c.amount);
            sums.subtotal -= discount;
            sums.section -= discount;
            sums.grandTotal -= discount;
            sums.estimate -= discount;
            break;
        }
        case LineKind::Zei: {
            ClearColumns(grid, row, c.quantity, c.remarks);
            const Fixed4 rate = TextToFixed4(s.taxRateText);
            sums.tax = RoundFixed(0, s.taxRounding, PercentOf(sums.taxBase, rate));
            sums.estimate += sums.tax;
            SetPlain(grid, row, c.amount, sums.tax);
            break;
        }
        default:
            return;
    }
    if (IsBlank(grid, row, kNameColumn)) grid.SetCell(row, kNameColumn, CaptionFor(kind, s));
}

}  // namespace

std::string DisplayNumber(Fixed4 value, int width, int decimals, bool grouped) {
    if (auto quick = FormatFixed4(value, width, decimals, grouped)) return std::move(*quick);
    const std::string text = Fixed4ToText(value);
    FormattedNumber formatted = FormatNumber(width, decimals, text, grouped);
    if (formatted.status == 0) return formatted.text;
    if (grouped) {
        formatted = FormatNumber(width, decimals, text, false);
        if (formatted.status == 0) return formatted.text;
    }
    constexpr int kWideEnough = 40;
    formatted = FormatNumber(kWideEnough, decimals, text, false);
    return formatted.status == 0 ? Trimmed(formatted.text) : text;
}

void FormatRowForDisplay(TextGrid& grid, SheetKind sheet, int row, const CalculationSettings& s) {
    const SheetColumns& c = ColumnsOf(sheet);
    const LineKind kind = LineKindOf(grid, row);
    const int quantityDecimals = sheet == SheetKind::Breakdown ? 0 : s.quantityDecimals;

    auto money = [&](int col, bool blankWhenZero) {
        if (col == kNoColumn) return;
        const Fixed4 v = ValueAt(grid, row, col);
        grid.SetCell(row, col,
                     blankWhenZero && v.raw == 0
                         ? std::string()
                         : DisplayNumber(v, MaxBytesOf(sheet, col), 0, true));
    };
    auto quantity = [&](bool blankWhenZero) {
        const Fixed4 v = ValueAt(grid, row, c.quantity);
        grid.SetCell(row, c.quantity,
                     blankWhenZero && v.raw == 0 ? std::string()
                                                 : DisplayNumber(v, MaxBytesOf(sheet, c.quantity),
                                                                 quantityDecimals, false));
    };
    auto labour = [&](int col, Fixed4 v, bool blankWhenZero) {
        const int width = col == c.labourRate ? MaxBytesOf(sheet, col) : kLabourAmountWidth;
        grid.SetCell(row, col,
                     blankWhenZero && v.raw == 0 ? std::string()
                                                 : DisplayNumber(v, width, kLabourDecimals, false));
    };

    if (IsSpecialLine(kind)) {
        ClearCells(grid, row, {c.unitPrice, c.costUnitPrice});
        if (sheet == SheetKind::Detail && kind == LineKind::Nebiki) {
            quantity(false);
        } else {
            grid.SetCell(row, c.quantity, {});
        }
        money(c.amount, false);
        if (kind == LineKind::Syokei || kind == LineKind::Nakakei) {
            money(c.cost, false);
        } else {
            grid.SetCell(row, c.cost, {});
        }
        if (sheet == SheetKind::Detail) {
            const bool carriesLabour =
                kind == LineKind::Syokei || kind == LineKind::Nakakei || kind == LineKind::Goukei;
            const Fixed4 rate = ValueAt(grid, row, c.labourRate);
            if (carriesLabour) {
                labour(c.labourRate, rate, false);
                grid.SetCell(row, c.labourAmount, grid.Cell(row, c.labourRate));
            } else {
                grid.SetCell(row, c.labourAmount, {});
            }
        }
        return;
    }

    if (sheet == SheetKind::Detail) {
        const bool freeAndNameless = kind == LineKind::Empty && IsBlank(grid, row, kNameColumn) &&
                                     IsBlank(grid, row, kSpecColumn);
        quantity(freeAndNameless || kind != LineKind::Empty);
        for (int col : {c.unitPrice, c.amount, c.costUnitPrice, c.cost})
            money(col, freeAndNameless);
        const Fixed4 rate = ValueAt(grid, row, c.labourRate);
        labour(c.labourRate, rate, freeAndNameless);
        if (freeAndNameless) {
            grid.SetCell(row, c.labourAmount, {});
        } else {
            labour(c.labourAmount, Multiply(rate, ValueAt(grid, row, c.quantity)), false);
        }
        return;
    }

    // Breakdown and summary: once the quantity is blank or zero, every zero is blank.
    const bool noQuantity = ValueAt(grid, row, c.quantity).raw == 0;
    quantity(true);
    for (int col : {c.unitPrice, c.amount, c.costUnitPrice, c.cost}) money(col, noQuantity);
}

SheetTotals CalculateSheet(TextGrid& grid, SheetKind sheet, const CalculationSettings& s) {
    const SheetColumns& c = ColumnsOf(sheet);
    RunningSums sums;
    const int lastRow = LastUsedGridRow(grid);
    for (int row = 1; row <= lastRow; ++row) {
        ClearDashCells(grid, sheet, row);
        LineKind kind = LineKindOf(grid, row);
        if (sheet == SheetKind::Detail && kind == LineKind::Zei) {
            // A detail sheet has no tax line: one found here is wiped.
            grid.SetCell(row, 1, {});
            ClearColumns(grid, row, kNameColumn, c.remarks);
            kind = LineKind::Empty;
        }
        if (IsSpecialLine(kind)) {
            WorkOutSpecialLine(grid, sheet, row, kind, s, sums);
        } else {
            WorkOutOrdinaryLine(grid, sheet, row, s, sums);
        }
        FormatRowForDisplay(grid, sheet, row, s);
    }
    return SheetTotals{sums.estimate, sums.taxBase, sums.costTotal, lastRow};
}

HeaderFigures HeaderFiguresOf(const SheetTotals& t) {
    constexpr int kWidth = 14;
    HeaderFigures h;
    h.estimateAmount = t.estimateAmount;
    h.totalExcludingTax = t.taxBase.raw == 0 ? t.estimateAmount : t.taxBase;
    h.cost = t.costTotal;
    h.grossProfit = h.totalExcludingTax - t.costTotal;
    h.MGoukei01 = DisplayNumber(h.estimateAmount, kWidth, 0, true);
    h.MGoukei11 = DisplayNumber(h.totalExcludingTax, kWidth, 0, true);
    h.MGoukei12 = DisplayNumber(h.cost, kWidth, 0, true);
    h.MGoukei13 = DisplayNumber(h.grossProfit, kWidth, 0, true);
    return h;
}

DetailFigures DetailFiguresOf(const SheetTotals& t) {
    constexpr int kWidth = 14;
    return DetailFigures{t.estimateAmount, t.costTotal,
                         DisplayNumber(t.estimateAmount, kWidth, 0, true),
                         DisplayNumber(t.costTotal, kWidth, 0, true)};
}

}  // namespace quilto
