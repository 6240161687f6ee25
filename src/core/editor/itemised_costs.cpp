#include "core/editor/itemised_costs.h"

#include "core/foundation/fixed4_arithmetic.h"
#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"

namespace quilto {

namespace {

constexpr int kNameColumn = 3;

// The lines of detail sheet `row`: from the grid when it is the sheet on screen (the
// working copy), from the store otherwise.
std::vector<CostLine> DetailCostLines(const EstimateDocument& document, int row) {
    std::vector<CostLine> lines;
    if (row == document.DetailSheetRow()) {
        const TextGrid& grid = document.Grid(SheetKind::Detail);
        const SheetColumns& c = ColumnsOf(SheetKind::Detail);
        const int last = LastUsedGridRow(grid);
        for (int line = 1; line <= last; ++line) {
            CostLine& l = lines.emplace_back();
            l.kind = LineKindOf(grid, line);
            l.costClass =
                CostClassOfCellText(grid.Cell(line, c.costClass)).value_or(CostClass::Unclassified);
            l.amount = grid.NumberAt(line, c.amount);
            l.labourRate = grid.NumberAt(line, c.labourRate);
            l.quantity = grid.NumberAt(line, c.quantity);
        }
        return lines;
    }
    const EstimateStores& stores = document.Stores();
    if (!HasDetailLines(stores, row)) return lines;
    for (int line = 1; line <= kDetailLines; ++line) {
        const LineRecord& r = stores.details.Line(row, line);
        if (r.IsZero()) continue;
        CostLine& l = lines.emplace_back();
        l.kind = LineKindOfMarker(r.Code());
        l.costClass = CostClassOfByte(r.CostClassByte());
        l.amount = r.Amount();
        l.labourRate = r.LabourRate();
        l.quantity = r.Quantity();
    }
    return lines;
}

// The name of the first discount line of detail sheet `row`, as it shows.
std::string DetailDiscountName(const EstimateDocument& document, int row) {
    if (row == document.DetailSheetRow()) {
        const TextGrid& grid = document.Grid(SheetKind::Detail);
        for (int line = 1; line < grid.RowCount(); ++line) {
            if (LineKindOf(grid, line) == LineKind::Nebiki)
                return TrimmedRight(grid.Cell(line, kNameColumn));
        }
        return {};
    }
    for (int line = 1; line <= kDetailLines; ++line) {
        const LineRecord& r = document.Stores().details.Line(row, line);
        if (LineKindOfMarker(r.Code()) == LineKind::Nebiki) return r.Name();
    }
    return {};
}

ItemisedRow RowOf(ItemisedRowKind kind, int breakdownRow, std::string name) {
    ItemisedRow row;
    row.kind = kind;
    row.breakdownRow = breakdownRow;
    row.name = std::move(name);
    return row;
}

}  // namespace

Fixed4& AmountOf(ClassAmounts& amounts, CostClass cls) {
    const int index = cls == CostClass::Unclassified ? 0 : static_cast<int>(cls) - 1;
    return amounts[static_cast<std::size_t>(index)];
}

Fixed4 SumOf(const ClassAmounts& amounts) {
    Fixed4 sum;
    for (Fixed4 v : amounts) sum += v;
    return sum;
}

WorkTypeCosts SplitCostLines(std::span<const CostLine> lines, int amountRounding) {
    WorkTypeCosts costs;
    for (const CostLine& line : lines) {
        if (line.kind == LineKind::Nebiki) {
            costs.discount += line.amount;
            costs.hasLines = true;
            continue;
        }
        if (IsSpecialLine(line.kind)) continue;
        costs.hasLines = true;
        const Fixed4 labour =
            RoundFixed(0, amountRounding, Multiply(line.labourRate, line.quantity));
        AmountOf(costs.classes, CostClass::Labour) += labour;
        AmountOf(costs.classes, line.costClass) += line.amount - labour;
        if (line.costClass == CostClass::Unclassified) costs.unclassified += line.amount - labour;
    }
    return costs;
}

WorkTypeCosts SplitDetailSheet(const EstimateDocument& document, int row, int amountRounding) {
    return SplitCostLines(DetailCostLines(document, row), amountRounding);
}

ItemisedEstimate ItemiseEstimate(const EstimateDocument& document, int amountRounding) {
    ItemisedEstimate result;
    const TextGrid& grid = document.Grid(SheetKind::Breakdown);
    const SheetColumns& c = ColumnsOf(SheetKind::Breakdown);
    const int last = LastUsedGridRow(grid);
    for (int row = 1; row <= last; ++row) {
        const LineKind kind = LineKindOf(grid, row);
        const std::string name = TrimmedRight(grid.Cell(row, kNameColumn));
        const Fixed4 amount = grid.NumberAt(row, c.amount);
        if (kind == LineKind::Zei) {
            result.tax += amount;
            continue;
        }
        if (kind == LineKind::Nebiki) {
            ItemisedRow discount = RowOf(ItemisedRowKind::Discount, row, name);
            discount.total = Fixed4{} - amount;
            result.rows.push_back(std::move(discount));
            continue;
        }
        if (IsSpecialLine(kind)) continue;  // subtotals and totals only show sums
        if (!HasText(grid.Cell(row, 1)) && !HasText(name) && amount.raw == 0) continue;

        ItemisedRow work = RowOf(ItemisedRowKind::WorkType, row, name);
        work.days = grid.NumberAt(row, c.workDays);
        const WorkTypeCosts costs = SplitDetailSheet(document, row, amountRounding);
        if (costs.hasLines) {
            work.classes = costs.classes;
            work.unclassified = costs.unclassified;
        } else {
            // Typed on the line itself: nothing says what it is made of.
            AmountOf(work.classes, CostClass::Unclassified) = amount;
            work.unclassified = amount;
        }
        work.total = SumOf(work.classes);
        result.rows.push_back(std::move(work));
        if (costs.discount.raw != 0) {
            ItemisedRow discount =
                RowOf(ItemisedRowKind::Discount, row, DetailDiscountName(document, row));
            discount.total = Fixed4{} - costs.discount;
            result.rows.push_back(std::move(discount));
        }
    }
    for (const ItemisedRow& row : result.rows) {
        for (std::size_t i = 0; i < row.classes.size(); ++i) result.classes[i] += row.classes[i];
        result.unclassified += row.unclassified;
        if (row.kind == ItemisedRowKind::Discount) result.discounts += row.total;
        result.total += row.total;
    }
    return result;
}

}  // namespace quilto
