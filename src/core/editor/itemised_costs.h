#pragma once

// The itemised estimate: each work type's amount split into 材料費, 労務費, 法定福利費,
// 安全衛生経費, 建退共掛金 and その他経費, with the days of work it needs. A work type is a
// breakdown line; its amount is split by the cost classes of its detail lines.
//
// A detail line's labour (歩掛単価 x quantity) is 労務費 whatever the line's class, since a
// composite unit price holds both materials and labour; the rest of its amount goes to its
// class, an unclassified line's to 材料費 (counted apart as well, so that the user can be
// told how much was never classified). The classes of a line therefore always add up to
// its amount. Discounts are never spread over the classes: they stay rows of their own.

#include <array>
#include <span>
#include <string>
#include <vector>

#include "core/editor/estimate_document.h"
#include "core/editor/line_kind.h"
#include "core/foundation/fixed4.h"
#include "core/store/cost_class.h"

namespace quilto {

// The six amounts, in the order of CostClass Material..Other (index = class - 1).
using ClassAmounts = std::array<Fixed4, kCostColumns>;
Fixed4& AmountOf(ClassAmounts& amounts, CostClass cls);  // Unclassified: 材料費
Fixed4 SumOf(const ClassAmounts& amounts);

// One detail line as the split reads it.
struct CostLine {
    LineKind kind = LineKind::Empty;
    CostClass costClass = CostClass::Unclassified;
    Fixed4 amount;
    Fixed4 labourRate;
    Fixed4 quantity;
};

struct WorkTypeCosts {
    ClassAmounts classes{};
    Fixed4 unclassified;  // the part of 材料費 from lines without a class
    Fixed4 discount;      // the sheet's discounts, as typed (positive)
    bool hasLines = false;
};

// A detail sheet's lines split by class. Ordinary lines count (every kind but the special
// ones); discount lines add to the discount; subtotal and total lines only show sums and
// count for nothing. The labour of a line is brought to whole units with the amount
// rounding (0 half up, 1 truncate, 2 away from zero), as the line's amount was.
WorkTypeCosts SplitCostLines(std::span<const CostLine> lines, int amountRounding);

// Detail sheet `row` of the document split (the detail grid when it is the sheet on
// screen, the store otherwise).
WorkTypeCosts SplitDetailSheet(const EstimateDocument& document, int row, int amountRounding);

enum class ItemisedRowKind { WorkType, Discount };

struct ItemisedRow {
    ItemisedRowKind kind = ItemisedRowKind::WorkType;
    int breakdownRow = 0;
    std::string name;  // CP932, as the breakdown (or the discount line) shows it
    ClassAmounts classes{};
    Fixed4 unclassified;
    Fixed4 total;  // a work type: its classes added up; a discount: minus the discount
    Fixed4 days;   // work types only
};

struct ItemisedEstimate {
    std::vector<ItemisedRow> rows;  // in breakdown order; a work type's discount follows it
    ClassAmounts classes{};
    Fixed4 unclassified;
    Fixed4 discounts;  // every discount row's total added up (zero or less)
    Fixed4 total;      // before tax: the classes and the discounts
    Fixed4 tax;        // the breakdown's tax line, 0 without one
    Fixed4 TotalWithTax() const { return total + tax; }
};

// The estimate as the editor holds it: the breakdown grid, the detail sheet on screen from
// the detail grid and every other sheet from the detail store. A work type without detail
// lines counts its typed amount as unclassified 材料費.
ItemisedEstimate ItemiseEstimate(const EstimateDocument& document, int amountRounding);

}  // namespace quilto
