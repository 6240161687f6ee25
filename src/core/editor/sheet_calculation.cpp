#include "core/editor/sheet_calculation.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>

#include "core/editor/line_kind.h"
#include "core/foundation/fixed4_arithmetic.h"
#include "core/foundation/fixed4_format.h"
#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"
#include "core/store/cost_class.h"

namespace quilto {

namespace {

constexpr int kNameColumn = 3;
constexpr int kSpecColumn = 4;  // detail sheet only
constexpr int kLabourDecimals = 3;
constexpr int kLabourAmountWidth = 12;

Fixed4 ValueAt(const TextGrid& grid, int row, int col) {
    return col == kNoColumn ? Fixed4{} : grid.NumberAt(row, col);
}

void SetPlain(TextGrid& grid, int row, int col, Fixed4 value) {
    if (col != kNoColumn) grid.SetNumberCell(row, col, value);
}

void ClearColumns(TextGrid& grid, int row, int from, int to) {
    for (int c = from; c <= to; ++c) grid.SetCell(row, c, {});
}

void ClearCells(TextGrid& grid, int row, std::initializer_list<int> cols) {
    for (int c : cols)
        if (c != kNoColumn) grid.SetCell(row, c, {});
}

bool IsBlank(const TextGrid& grid, int row, int col) { return !HasText(grid.Cell(row, col)); }

// True when the cell's text, trimmed, is `zeroText` ("", "-" or "0": a text that reads as
// zero). A number cell known to read as something else cannot hold it, so its text is not
// looked at (nor made).
bool TrimmedCellIs(const TextGrid& grid, int row, int col, std::string_view zeroText) {
    if (const auto known = grid.KnownNumber(row, col); known && known->raw != 0) return false;
    return TrimmedView(grid.Cell(row, col)) == zeroText;
}

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

// Step 1: a numeric cell holding only "-" counts as empty. True when one was emptied.
bool ClearDashCells(TextGrid& grid, SheetKind sheet, int row) {
    const SheetColumns& c = ColumnsOf(sheet);
    bool cleared = false;
    auto clearDash = [&](int col) {
        if (col != kNoColumn && TrimmedCellIs(grid, row, col, "-")) {
            grid.SetCell(row, col, {});
            cleared = true;
        }
    };
    clearDash(c.quantity);
    if (sheet == SheetKind::Breakdown) return cleared;
    clearDash(c.amount);
    clearDash(c.costUnitPrice);
    if (sheet == SheetKind::Detail) {
        clearDash(c.unitPrice);
        clearDash(c.cost);
    }
    return cleared;
}

// The raw step of a figure shown with this many decimals (0-4): 10000 for whole units.
std::int64_t UnitOfDecimals(int decimals) {
    constexpr std::int64_t kUnits[] = {10000, 1000, 100, 10, 1};
    return kUnits[std::clamp(decimals, 0, 4)];
}

// True when a value shown with this many decimals reads back as the same value.
bool ShowsExactly(Fixed4 value, int decimals) {
    const std::int64_t unit = UnitOfDecimals(decimals);
    return value.raw % unit == 0;
}

struct RunningSums {
    Fixed4 subtotal, section, grandTotal, estimate;
    Fixed4 subtotalCost, costTotal;
    Fixed4 taxBase, tax;
    Fixed4 labourSubtotal, labourTotal;
    Fixed4 grandTotalShown;  // the last grand-total line's figure: grand total plus the tax
    bool settled = true;     // see SheetTotals

    // An ordinary line's figures go into every running sum they belong to; labour is only
    // counted on detail sheets.
    void AddLine(Fixed4 amount, Fixed4 cost, Fixed4 labour) {
        labourSubtotal += labour;
        labourTotal += labour;
        subtotal += amount;
        section += amount;
        grandTotal += amount;
        estimate += amount;
        subtotalCost += cost;
        costTotal += cost;
    }

    bool AnySaturated() const {
        for (Fixed4 v : {subtotal, section, grandTotal, estimate, subtotalCost, costTotal, taxBase,
                         tax, labourSubtotal, labourTotal, grandTotalShown}) {
            if (IsSaturated(v)) return true;
        }
        return false;
    }
};

// The figures of an ordinary line as its cells read, the amount and cost as worked out.
struct RowFigures {
    Fixed4 quantity, unitPrice, amount, costUnitPrice, cost, labourRate, labour;

    // Every figure that is read back from its cell reads back as it is: the quantity to
    // its decimals, money in whole units, the labour rate to three decimals.
    bool ShownExactly(int quantityDecimals) const {
        return ShowsExactly(quantity, quantityDecimals) && ShowsExactly(unitPrice, 0) &&
               ShowsExactly(amount, 0) && ShowsExactly(costUnitPrice, 0) && ShowsExactly(cost, 0) &&
               ShowsExactly(labourRate, kLabourDecimals);
    }
    bool AnySaturated() const {
        for (Fixed4 v : {quantity, unitPrice, amount, costUnitPrice, cost, labourRate, labour}) {
            if (IsSaturated(v)) return true;
        }
        return false;
    }
};

RowFigures FiguresAsTyped(const TextGrid& grid, SheetKind sheet, int row) {
    const SheetColumns& c = ColumnsOf(sheet);
    RowFigures f;
    f.quantity = ValueAt(grid, row, c.quantity);
    f.unitPrice = ValueAt(grid, row, c.unitPrice);
    f.amount = ValueAt(grid, row, c.amount);
    f.costUnitPrice = ValueAt(grid, row, c.costUnitPrice);
    f.cost = ValueAt(grid, row, c.cost);
    f.labourRate = ValueAt(grid, row, c.labourRate);
    return f;
}

// The amount and cost cells are not written here: the formatting that follows rewrites
// both from the figures returned.
RowFigures WorkOutOrdinaryLine(const TextGrid& grid, SheetKind sheet, int row,
                               const CalculationSettings& s, RunningSums& sums) {
    const SheetColumns& c = ColumnsOf(sheet);
    RowFigures f;
    f.quantity = ValueAt(grid, row, c.quantity);
    if (sheet == SheetKind::Breakdown) {
        f.amount = ValueAt(grid, row, c.amount);
        f.cost = ValueAt(grid, row, c.cost);
    } else {
        f.unitPrice = ValueAt(grid, row, c.unitPrice);
        if (f.unitPrice.raw != 0) {
            f.amount = RoundFixed(0, s.amountRounding, Multiply(f.quantity, f.unitPrice));
        } else {
            f.amount = ValueAt(grid, row, c.amount);
        }
        if (!TrimmedCellIs(grid, row, c.costUnitPrice, "") &&
            !TrimmedCellIs(grid, row, c.costUnitPrice, "0")) {
            f.costUnitPrice = grid.NumberAt(row, c.costUnitPrice);
            f.cost = Multiply(f.quantity, f.costUnitPrice);
        } else {
            f.cost = ValueAt(grid, row, c.cost);
        }
        if (sheet == SheetKind::Detail) {
            f.labourRate = ValueAt(grid, row, c.labourRate);
            f.labour = Multiply(f.labourRate, f.quantity);
        }
    }
    sums.AddLine(f.amount, f.cost, f.labour);
    return f;
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
            sums.grandTotalShown = sums.grandTotal + sums.tax;
            SetPlain(grid, row, c.amount, sums.grandTotalShown);
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
            sums.settled = sums.settled && ShowsExactly(discount, 0);
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

namespace {

// What a value shown with this many decimals reads back as: rounded half away from zero,
// as the formatter rounds. Nothing for values so near the limit that rounding could run
// past it.
constexpr std::int64_t kFar = 900'000'000'000'000'000;

std::optional<Fixed4> ShownValue(Fixed4 v, int decimals) {
    if (v.raw > kFar || v.raw < -kFar) return std::nullopt;
    const std::int64_t unit = UnitOfDecimals(decimals);
    const std::int64_t magnitude = v.raw < 0 ? -v.raw : v.raw;
    const std::int64_t dropped = magnitude % unit;
    const std::int64_t rounded = magnitude - dropped + (dropped * 2 >= unit ? unit : 0);
    return Fixed4::FromRaw(v.raw < 0 ? -rounded : rounded);
}

// A number cell rewritten in display form, or blank; what it now reads as is kept with it.
void ShowNumber(TextGrid& grid, int row, int col, Fixed4 v, bool blank, int width, int decimals,
                bool grouped) {
    if (blank) {
        grid.ClearCell(row, col);
    } else if (const auto shown = ShownValue(v, decimals)) {
        grid.SetNumberCell(row, col, *shown, v, NumberForm::Display(width, decimals, grouped));
    } else {
        grid.RewriteCell(row, col, [&](std::string& text) {
            AssignDisplayNumber(text, v, width, decimals, grouped);
        });
    }
}

void SetMoney(TextGrid& grid, SheetKind sheet, int row, int col, Fixed4 v, bool blankWhenZero) {
    if (col == kNoColumn) return;
    ShowNumber(grid, row, col, v, blankWhenZero && v.raw == 0, MaxBytesOf(sheet, col), 0, true);
}

void SetQuantity(TextGrid& grid, SheetKind sheet, int row, Fixed4 v, int decimals,
                 bool blankWhenZero) {
    const int col = ColumnsOf(sheet).quantity;
    ShowNumber(grid, row, col, v, blankWhenZero && v.raw == 0, MaxBytesOf(sheet, col), decimals,
               false);
}

void SetLabour(TextGrid& grid, SheetKind sheet, int row, int col, Fixed4 v, bool blankWhenZero) {
    const int width =
        col == ColumnsOf(sheet).labourRate ? MaxBytesOf(sheet, col) : kLabourAmountWidth;
    ShowNumber(grid, row, col, v, blankWhenZero && v.raw == 0, width, kLabourDecimals, false);
}

int QuantityDecimals(SheetKind sheet, const CalculationSettings& s) {
    return sheet == SheetKind::Breakdown ? 0 : s.quantityDecimals;
}

// An ordinary line's numbers shown from its figures, which are what its cells read.
void FormatOrdinaryRow(TextGrid& grid, SheetKind sheet, int row, LineKind kind, const RowFigures& f,
                       const CalculationSettings& s) {
    const SheetColumns& c = ColumnsOf(sheet);
    const int quantityDecimals = QuantityDecimals(sheet, s);
    if (sheet == SheetKind::Detail) {
        const bool freeAndNameless = kind == LineKind::Empty && IsBlank(grid, row, kNameColumn) &&
                                     IsBlank(grid, row, kSpecColumn);
        SetQuantity(grid, sheet, row, f.quantity, quantityDecimals,
                    freeAndNameless || kind != LineKind::Empty);
        SetMoney(grid, sheet, row, c.unitPrice, f.unitPrice, freeAndNameless);
        SetMoney(grid, sheet, row, c.amount, f.amount, freeAndNameless);
        SetMoney(grid, sheet, row, c.costUnitPrice, f.costUnitPrice, freeAndNameless);
        SetMoney(grid, sheet, row, c.cost, f.cost, freeAndNameless);
        SetLabour(grid, sheet, row, c.labourRate, f.labourRate, freeAndNameless);
        if (freeAndNameless) {
            grid.SetCell(row, c.labourAmount, {});
        } else {
            // From the quantity as now shown, rounded to its decimals.
            SetLabour(grid, sheet, row, c.labourAmount,
                      Multiply(f.labourRate, ValueAt(grid, row, c.quantity)), false);
        }
        return;
    }

    // Breakdown and summary: once the quantity is blank or zero, every zero is blank.
    const bool noQuantity = f.quantity.raw == 0;
    SetQuantity(grid, sheet, row, f.quantity, quantityDecimals, true);
    SetMoney(grid, sheet, row, c.unitPrice, f.unitPrice, noQuantity);
    SetMoney(grid, sheet, row, c.amount, f.amount, noQuantity);
    SetMoney(grid, sheet, row, c.costUnitPrice, f.costUnitPrice, noQuantity);
    SetMoney(grid, sheet, row, c.cost, f.cost, noQuantity);
}

}  // namespace

void FormatRowForDisplay(TextGrid& grid, SheetKind sheet, int row, const CalculationSettings& s) {
    const SheetColumns& c = ColumnsOf(sheet);
    const LineKind kind = LineKindOf(grid, row);
    if (!IsSpecialLine(kind)) {
        FormatOrdinaryRow(grid, sheet, row, kind, FiguresAsTyped(grid, sheet, row), s);
        return;
    }

    ClearCells(grid, row, {c.unitPrice, c.costUnitPrice});
    if (sheet == SheetKind::Detail && kind == LineKind::Nebiki) {
        SetQuantity(grid, sheet, row, ValueAt(grid, row, c.quantity), QuantityDecimals(sheet, s),
                    false);
    } else {
        grid.SetCell(row, c.quantity, {});
    }
    SetMoney(grid, sheet, row, c.amount, ValueAt(grid, row, c.amount), false);
    if (kind == LineKind::Syokei || kind == LineKind::Nakakei) {
        SetMoney(grid, sheet, row, c.cost, ValueAt(grid, row, c.cost), false);
    } else {
        grid.SetCell(row, c.cost, {});
    }
    if (sheet == SheetKind::Detail) {
        const bool carriesLabour =
            kind == LineKind::Syokei || kind == LineKind::Nakakei || kind == LineKind::Goukei;
        if (carriesLabour) {
            SetLabour(grid, sheet, row, c.labourRate, ValueAt(grid, row, c.labourRate), false);
            grid.SetCell(row, c.labourAmount, grid.Cell(row, c.labourRate));
        } else {
            grid.SetCell(row, c.labourAmount, {});
        }
    }
}

SheetTotals CalculateSheet(TextGrid& grid, SheetKind sheet, const CalculationSettings& s) {
    const SheetColumns& c = ColumnsOf(sheet);
    RunningSums sums;
    const int lastRow = LastUsedGridRow(grid);
    int overflowRow = 0;
    for (int row = 1; row <= lastRow; ++row) {
        if (ClearDashCells(grid, sheet, row)) sums.settled = false;
        LineKind kind = LineKindOf(grid, row);
        if (sheet == SheetKind::Detail && kind == LineKind::Zei) {
            // A detail sheet has no tax line: one found here is wiped.
            grid.SetCell(row, 1, {});
            ClearColumns(grid, row, kNameColumn, c.remarks);
            kind = LineKind::Empty;
            sums.settled = false;
        }
        bool saturated = false;
        if (IsSpecialLine(kind)) {
            WorkOutSpecialLine(grid, sheet, row, kind, s, sums);
            FormatRowForDisplay(grid, sheet, row, s);
        } else {
            const RowFigures figures = WorkOutOrdinaryLine(grid, sheet, row, s, sums);
            FormatOrdinaryRow(grid, sheet, row, kind, figures, s);
            saturated = figures.AnySaturated();
            sums.settled = sums.settled && figures.ShownExactly(QuantityDecimals(sheet, s));
        }
        if (overflowRow == 0 && (saturated || sums.AnySaturated())) overflowRow = row;
    }
    return SheetTotals{sums.estimate, sums.taxBase, sums.costTotal,
                       lastRow,       overflowRow,  sums.settled && overflowRow == 0};
}

namespace {

// What a number cell shows and reads back as, for a value written in display form.
Fixed4 ShownReading(Fixed4 v, int width, int decimals, bool grouped) {
    if (ShowsExactly(v, decimals) && v.raw <= kFar && v.raw >= -kFar) return v;  // most figures
    if (const auto shown = ShownValue(v, decimals)) return *shown;
    return TextToFixed4(DisplayNumber(v, width, decimals, grouped));
}

// One line of a detail sheet as the detail grid would hold it: texts as the cells show them
// (views into the records or the settings' captions) and numbers as the cells read.
struct DetailRow {
    std::string_view code, number, name, spec, unit, remarks;
    Fixed4 quantity, unitPrice, amount, costUnitPrice, cost, labourRate;
    std::uint8_t costClass = 0;  // the record's last byte, carried as the grid carries it
};

class DetailRows {
  public:
    DetailRows(const DetailStore& store, int sheet, const CalculationSettings& s)
        : s_(s),
          columns_(ColumnsOf(SheetKind::Detail)),
          quantityWidth_(MaxBytesOf(SheetKind::Detail, columns_.quantity)),
          labourWidth_(MaxBytesOf(SheetKind::Detail, columns_.labourRate)) {
        for (int col : {columns_.unitPrice, columns_.amount, columns_.costUnitPrice, columns_.cost})
            moneyWidths_[static_cast<std::size_t>(col)] = MaxBytesOf(SheetKind::Detail, col);
        for (int line = 1; line <= kDetailLines; ++line) {
            const LineRecord& r = store.Line(sheet, line);
            DetailRow& row = rows_[static_cast<std::size_t>(line)];
            row = DetailRow{};
            // A line with nothing that shows it stays out of the grid.
            if (!HasText(r.CodeView()) && !HasText(r.NameView()) && !HasText(r.SpecView()) &&
                !HasText(r.UnitView()) && r.Amount().raw == 0)
                continue;
            row = DetailRow{r.CodeView(),     r.NumberTextView(), r.NameView(), r.SpecView(),
                            r.UnitView(),     r.RemarksView(),    r.Quantity(), r.UnitPrice(),
                            r.Amount(),       r.CostUnitPrice(),  r.Cost(),     r.LabourRate(),
                            r.CostClassByte()};
            lastRow_ = line;
        }
    }

    // CalculateSheet of the detail grid, step for step.
    SheetTotals Calculate() {
        RunningSums sums;
        int overflowRow = 0;
        for (int line = 1; line <= lastRow_; ++line) {
            DetailRow& row = rows_[static_cast<std::size_t>(line)];
            LineKind kind = LineKindOfMarker(row.code);
            if (kind == LineKind::Zei) {
                const std::string_view number = row.number;
                const Fixed4 labourRate = row.labourRate;
                const std::uint8_t costClass = row.costClass;
                row = DetailRow{};
                row.number = number;
                row.labourRate = labourRate;
                row.costClass = costClass;
                kind = LineKind::Empty;
                sums.settled = false;
            }
            bool saturated = false;
            if (IsSpecialLine(kind)) {
                WorkOutSpecialLine(row, kind, sums);
            } else {
                const RowFigures f = WorkOutOrdinaryLine(row, sums);
                saturated = f.AnySaturated();
                sums.settled = sums.settled && f.ShownExactly(s_.quantityDecimals);
            }
            if (overflowRow == 0 && (saturated || sums.AnySaturated())) overflowRow = line;
        }
        return SheetTotals{sums.estimate, sums.taxBase, sums.costTotal,
                           lastRow_,      overflowRow,  sums.settled && overflowRow == 0};
    }

    // StoreDetailSheet: the lines worth keeping written afresh, the others zeroed.
    void Store(DetailStore& store, int sheet) const {
        for (int line = 1; line <= kDetailLines; ++line) {
            const DetailRow& row = rows_[static_cast<std::size_t>(line)];
            const bool keep = HasText(row.code) || HasText(row.name) || HasText(row.spec) ||
                              HasText(row.unit) || row.amount.raw != 0;
            if (!keep) {
                store.ClearLine(sheet, line);
                continue;
            }
            // Built apart first: the texts may look into the record it replaces.
            LineRecord r;
            r.SetCode(row.code);
            r.SetNumberText(row.number);
            r.SetName(row.name);
            r.SetSpec(row.spec);
            r.SetUnit(row.unit);
            r.SetQuantity(row.quantity);
            r.SetUnitPrice(row.unitPrice);
            r.SetAmount(row.amount);
            r.SetCostUnitPrice(row.costUnitPrice);
            r.SetCost(row.cost);
            r.SetRemarks(row.remarks);
            r.SetLabourRate(row.labourRate);
            // The grid shows a byte no class has as blank, which stores as 0.
            r.SetCostClassByte(static_cast<std::uint8_t>(CostClassOfByte(row.costClass)));
            store.SetLine(sheet, line, r);
        }
    }

  private:
    Fixed4 Money(int col, Fixed4 v) const {
        return ShownReading(v, moneyWidths_[static_cast<std::size_t>(col)], 0, true);
    }
    Fixed4 Quantity(Fixed4 v) const {
        return ShownReading(v, quantityWidth_, s_.quantityDecimals, false);
    }
    Fixed4 Labour(Fixed4 v) const { return ShownReading(v, labourWidth_, kLabourDecimals, false); }

    RowFigures WorkOutOrdinaryLine(DetailRow& row, RunningSums& sums) const {
        RowFigures f;
        f.quantity = row.quantity;
        f.unitPrice = row.unitPrice;
        f.amount = f.unitPrice.raw != 0
                       ? RoundFixed(0, s_.amountRounding, Multiply(f.quantity, f.unitPrice))
                       : row.amount;
        // A cost unit price cell reading 0 is blank or "0": the typed cost stands.
        if (row.costUnitPrice.raw != 0) {
            f.costUnitPrice = row.costUnitPrice;
            f.cost = Multiply(f.quantity, f.costUnitPrice);
        } else {
            f.cost = row.cost;
        }
        f.labourRate = row.labourRate;
        f.labour = Multiply(f.labourRate, f.quantity);
        sums.AddLine(f.amount, f.cost, f.labour);

        // FormatOrdinaryRow: a cell it leaves blank reads 0, as the zero it replaces.
        row.quantity = Quantity(f.quantity);
        row.unitPrice = Money(columns_.unitPrice, f.unitPrice);
        row.amount = Money(columns_.amount, f.amount);
        row.costUnitPrice = Money(columns_.costUnitPrice, f.costUnitPrice);
        row.cost = Money(columns_.cost, f.cost);
        row.labourRate = Labour(f.labourRate);
        return f;
    }

    void WorkOutSpecialLine(DetailRow& row, LineKind kind, RunningSums& sums) const {
        auto clearUnitToRemarks = [&row] {
            row.spec = row.unit = row.remarks = {};
            row.quantity = row.unitPrice = row.amount = row.costUnitPrice = row.cost = Fixed4{};
        };
        switch (kind) {
            case LineKind::Syokei:
                clearUnitToRemarks();
                row.amount = sums.subtotal;
                row.cost = sums.subtotalCost;
                row.labourRate = sums.labourSubtotal;
                sums.subtotal = sums.subtotalCost = sums.labourSubtotal = Fixed4{};
                break;
            case LineKind::Nakakei:
                clearUnitToRemarks();
                sums.taxBase = sums.section;
                row.amount = sums.section;
                row.cost = sums.costTotal;
                row.labourRate = sums.labourTotal;
                sums.subtotal = sums.section = sums.labourTotal = Fixed4{};
                break;
            case LineKind::Goukei:
                clearUnitToRemarks();
                sums.grandTotalShown = sums.grandTotal + sums.tax;
                row.amount = sums.grandTotalShown;
                sums.grandTotal = sums.section = sums.subtotal = Fixed4{};
                break;
            case LineKind::Nebiki: {
                row.unit = {};
                row.costUnitPrice = Fixed4{};
                row.quantity = Fixed4::FromInt(1);
                const Fixed4 discount = row.amount;
                sums.settled = sums.settled && ShowsExactly(discount, 0);
                sums.subtotal -= discount;
                sums.section -= discount;
                sums.grandTotal -= discount;
                sums.estimate -= discount;
                break;
            }
            default:
                return;
        }
        if (!HasText(row.name)) row.name = CaptionFor(kind, s_);

        // FormatRowForDisplay of a special line.
        row.unitPrice = row.costUnitPrice = Fixed4{};
        row.quantity = kind == LineKind::Nebiki ? Quantity(row.quantity) : Fixed4{};
        row.amount = Money(columns_.amount, row.amount);
        const bool subtotalOrTotal = kind == LineKind::Syokei || kind == LineKind::Nakakei;
        row.cost = subtotalOrTotal ? Money(columns_.cost, row.cost) : Fixed4{};
        if (subtotalOrTotal || kind == LineKind::Goukei) row.labourRate = Labour(row.labourRate);
    }

    const CalculationSettings& s_;
    const SheetColumns& columns_;
    int quantityWidth_;
    int labourWidth_;
    std::array<int, 16> moneyWidths_{};             // by column
    std::array<DetailRow, kDetailLines + 1> rows_;  // lines 1-300; 0 unused
    int lastRow_ = 0;
};

}  // namespace

SheetTotals CalculateDetailRecords(DetailStore& store, int sheet, const CalculationSettings& s) {
    DetailRows rows(store, sheet, s);
    SheetTotals totals = rows.Calculate();
    if (!totals.settled) totals = rows.Calculate();
    rows.Store(store, sheet);
    return totals;
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
                         DisplayNumber(t.costTotal, kWidth, 0, true), t.overflowRow};
}

}  // namespace quilto
