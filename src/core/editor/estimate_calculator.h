#pragma once

// The calculations of an open estimate: the three sheet calculations run on the document's
// grids, detail totals flow into their breakdown line, and the sheet that CheckBox1 selects
// supplies the header figures. It is what the editor window calls on every cell move and
// what loading and saving call through the document's calculation steps.

#include "editor/estimate_document.h"
#include "editor/sheet_calculation.h"

namespace quilto {

class Environment;

// Rounding modes, quantity decimals and captions as the environment holds them.
CalculationSettings CalculationSettingsFrom(const Environment& environment);

class EstimateCalculator : public EstimateCalculations {
  public:
    explicit EstimateCalculator(CalculationSettings settings = {});

    void SetSettings(CalculationSettings settings) { settings_ = std::move(settings); }
    const CalculationSettings& Settings() const { return settings_; }

    // Each runs its sheet and publishes its totals: the breakdown or the summary sets the
    // header figures only when CheckBox1 selects it; the detail sheet sets the detail
    // figures (MGoukei21/22).
    SheetTotals CalculateBreakdown(EstimateDocument& document);
    SheetTotals CalculateSummary(EstimateDocument& document);
    SheetTotals CalculateDetail(EstimateDocument& document);
    // The calculation of the sheet CheckBox1 selects (CheckBox1 click, opening an estimate).
    void CalculateSelectedSheet(EstimateDocument& document);

    // A whole estimate brought up to date, as the command-line tools save it: every
    // breakdown line that has detail lines gets its sheet loaded, calculated and stored,
    // then the breakdown and summary calculations run. A line without detail lines keeps
    // its typed amount and cost. The detail sheet on screen is stored first and loaded
    // again afterwards.
    void RecalculateAll(EstimateDocument& document);

    const DetailFigures& LastDetailFigures() const { return detailFigures_; }
    // "総括書で\r\n合計計算" or "内訳書で\r\n合計計算" (CP932): which sheet supplies the totals.
    static std::string TotalsSourceText(bool summarySupplies);

    // The document's calculation steps.
    void FormatRowForDisplay(EstimateDocument& document, SheetKind sheet, int row) override;
    void RefreshHeaderFigures(EstimateDocument& document) override;
    void DetailSheetLoaded(EstimateDocument& document, int breakdownRow) override;
    void BeforeDetailSheetStored(EstimateDocument& document, int breakdownRow) override;
    void DetailSheetStored(EstimateDocument& document, int breakdownRow) override;
    void BeforeSave(EstimateDocument& document) override;

  private:
    CalculationSettings WithTaxRate(const EstimateDocument& document) const;
    void PublishHeaderFigures(EstimateDocument& document, const SheetTotals& totals);

    CalculationSettings settings_;
    DetailFigures detailFigures_;
};

}  // namespace quilto
