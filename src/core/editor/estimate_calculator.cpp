#include "core/editor/estimate_calculator.h"

#include "core/editor/line_kind.h"
#include "core/foundation/cp932.h"
#include "core/store/environment.h"

namespace quilto {

CalculationSettings CalculationSettingsFrom(const Environment& environment) {
    CalculationSettings s;
    s.amountRounding = environment.AmountRounding();
    s.taxRounding = environment.TaxRounding();
    s.quantityDecimals = environment.QuantityDecimals() == 2 ? 2 : 1;
    s.subtotalCaption = environment.Caption(LineCaption::Subtotal);
    s.discountCaption = environment.Caption(LineCaption::Discount);
    s.totalCaption = environment.Caption(LineCaption::Total);
    s.taxCaption = environment.Caption(LineCaption::Tax);
    s.grandTotalCaption = environment.Caption(LineCaption::GrandTotal);
    return s;
}

EstimateCalculator::EstimateCalculator(CalculationSettings settings)
    : settings_(std::move(settings)) {
    detailFigures_ = DetailFiguresOf(SheetTotals{});
}

CalculationSettings EstimateCalculator::WithTaxRate(const EstimateDocument& document) const {
    CalculationSettings s = settings_;
    s.taxRateText = document.TaxRateText();
    return s;
}

std::string EstimateCalculator::TotalsSourceText(bool summarySupplies) {
    return Utf8ToCp932(summarySupplies ? "総括書で\r\n合計計算" : "内訳書で\r\n合計計算")
        .value_or(std::string());
}

void EstimateCalculator::PublishHeaderFigures(EstimateDocument& document,
                                              const SheetTotals& totals) {
    const HeaderFigures h = HeaderFiguresOf(totals);
    document.SetFigure(HeaderFigure::MGoukei01, h.MGoukei01);
    document.SetFigure(HeaderFigure::MGoukei11, h.MGoukei11);
    document.SetFigure(HeaderFigure::MGoukei12, h.MGoukei12);
    document.SetFigure(HeaderFigure::MGoukei13, h.MGoukei13);
}

SheetTotals EstimateCalculator::CalculateBreakdown(EstimateDocument& document) {
    const SheetTotals totals = CalculateSheet(document.Grid(SheetKind::Breakdown),
                                              SheetKind::Breakdown, WithTaxRate(document));
    if (!document.CheckBox1()) PublishHeaderFigures(document, totals);
    return totals;
}

SheetTotals EstimateCalculator::CalculateSummary(EstimateDocument& document) {
    const SheetTotals totals = CalculateSheet(document.Grid(SheetKind::Summary), SheetKind::Summary,
                                              WithTaxRate(document));
    if (document.CheckBox1()) PublishHeaderFigures(document, totals);
    return totals;
}

SheetTotals EstimateCalculator::CalculateDetail(EstimateDocument& document) {
    // A detail sheet is calculated when it is loaded and again before it is stored. When
    // nothing was written in between and the first calculation left the sheet settled, the
    // second would change nothing: its totals are the first one's.
    TextGrid& grid = document.Grid(SheetKind::Detail);
    CalculationSettings settings = WithTaxRate(document);
    const bool unchanged =
        settledDetail_.totals.settled && settledDetail_.gridIdentity == grid.Identity() &&
        settledDetail_.gridVersion == grid.Version() && settledDetail_.settings == settings;
    if (!unchanged) {
        settledDetail_.totals = CalculateSheet(grid, SheetKind::Detail, settings);
        settledDetail_.gridIdentity = grid.Identity();
        settledDetail_.gridVersion = grid.Version();
        settledDetail_.settings = std::move(settings);
    }
    detailFigures_ = DetailFiguresOf(settledDetail_.totals);
    return settledDetail_.totals;
}

void EstimateCalculator::CalculateSelectedSheet(EstimateDocument& document) {
    if (document.CheckBox1()) {
        CalculateSummary(document);
    } else {
        CalculateBreakdown(document);
    }
}

std::string CalculationOverflowMessage(const CalculationOverflow& overflow) {
    std::string where;
    switch (overflow.sheet) {
        case SheetKind::Detail:
            where = "内訳書 " + std::to_string(overflow.breakdownRow) + " 行目の明細 " +
                    std::to_string(overflow.row) + " 行目";
            break;
        case SheetKind::Breakdown:
            where = "内訳書 " + std::to_string(overflow.row) + " 行目";
            break;
        case SheetKind::Summary:
            where = "総括書 " + std::to_string(overflow.row) + " 行目";
            break;
    }
    return "金額が計算できる範囲を超えています (" + where + ")。";
}

std::optional<CalculationOverflow> EstimateCalculator::RecalculateAll(EstimateDocument& document) {
    std::optional<CalculationOverflow> overflow;
    auto note = [&overflow](SheetKind sheet, int breakdownRow, int row) {
        if (!overflow && row > 0) overflow = CalculationOverflow{sheet, breakdownRow, row};
    };
    const int shown = document.DetailSheetRow();
    document.StoreDetailSheet();
    TextGrid& breakdown = document.Grid(SheetKind::Breakdown);
    const CalculationSettings settings = WithTaxRate(document);
    for (int row = 1; row <= kBreakdownLines; ++row) {
        // Special lines own no detail sheet. A line without detail lines keeps the amount and
        // cost typed on it (estimates carried over from the old program have many): storing
        // its empty sheet would wipe them.
        if (IsSpecialLine(LineKindOf(breakdown, row))) continue;
        if (!HasDetailLines(document.Stores(), row)) continue;
        if (&document.Calculations() != this) {
            // The document calculates with other steps: through the grid, with those.
            document.LoadDetailSheet(row);
            document.StoreDetailSheet();
        } else {
            // On the records: the same as loading the sheet into the grid and storing it.
            detailFigures_ =
                DetailFiguresOf(CalculateDetailRecords(document.Stores().details, row, settings));
            document.DetailSheetStoredInPlace(row, true);
        }
        note(SheetKind::Detail, row, detailFigures_.overflowRow);
    }
    note(SheetKind::Breakdown, 0, CalculateBreakdown(document).overflowRow);
    note(SheetKind::Summary, 0, CalculateSummary(document).overflowRow);
    if (shown > 0) {
        document.LoadDetailSheet(shown);
    } else {
        document.DropDetailSheet();
    }
    return overflow;
}

void EstimateCalculator::FormatRowForDisplay(EstimateDocument& document, SheetKind sheet, int row) {
    quilto::FormatRowForDisplay(document.Grid(sheet), sheet, row, WithTaxRate(document));
}

void EstimateCalculator::RefreshHeaderFigures(EstimateDocument& document) {
    for (HeaderFigure f : {HeaderFigure::MGoukei01, HeaderFigure::MGoukei11,
                           HeaderFigure::MGoukei12, HeaderFigure::MGoukei13}) {
        document.SetFigure(f, DisplayNumber(TextToFixed4(document.Figure(f)), 14, 0, true));
    }
}

void EstimateCalculator::DetailSheetLoaded(EstimateDocument& document, int) {
    CalculateDetail(document);
}

void EstimateCalculator::BeforeDetailSheetStored(EstimateDocument& document, int) {
    CalculateDetail(document);
}

void EstimateCalculator::DetailSheetStored(EstimateDocument& document, int breakdownRow) {
    // The sheet's totals become the breakdown line's amount and cost, in the grid and in
    // the line record.
    TextGrid& breakdown = document.Grid(SheetKind::Breakdown);
    const SheetColumns& c = ColumnsOf(SheetKind::Breakdown);
    breakdown.SetCell(breakdownRow, c.amount, Fixed4ToText(detailFigures_.amount));
    breakdown.SetCell(breakdownRow, c.cost, Fixed4ToText(detailFigures_.cost));
    quilto::FormatRowForDisplay(breakdown, SheetKind::Breakdown, breakdownRow,
                                WithTaxRate(document));
    LineRecord& record = document.Stores().breakdown[static_cast<std::size_t>(breakdownRow)];
    record.SetAmount(detailFigures_.amount);
    record.SetCostUnitPrice(detailFigures_.cost);
}

void EstimateCalculator::BeforeSave(EstimateDocument& document) {
    CalculateBreakdown(document);
    CalculateSummary(document);
}

}  // namespace quilto
