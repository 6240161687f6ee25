#pragma once

// The calculations of an open estimate: the three sheet calculations run on the document's
// grids, detail totals flow into their breakdown line, and the sheet that CheckBox1 selects
// supplies the header figures. It is what the editor window calls on every cell move and
// what loading and saving call through the document's calculation steps.

#include <cstdint>
#include <optional>
#include <string>

#include "core/editor/estimate_document.h"
#include "core/editor/sheet_calculation.h"

namespace quilto {

class Environment;

// Where a whole-estimate calculation first ran past the fixed-point range. Detail sheets
// are looked at first (in breakdown line order), then the breakdown, then the summary, so
// the line named is where the too-large figure arose rather than where it was carried to.
struct CalculationOverflow {
    SheetKind sheet = SheetKind::Summary;
    int breakdownRow = 0;  // the breakdown line that owns the detail sheet; 0 otherwise
    int row = 0;           // the grid row, from 1
};

// The message that tells the user which line it is, in UTF-8:
// "金額が計算できる範囲を超えています (内訳書 3 行目の明細 12 行目)。"
std::string CalculationOverflowMessage(const CalculationOverflow& overflow);

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
    // again afterwards. Returns where a figure first ran past the fixed-point range, if one
    // did: such an estimate must not be saved.
    std::optional<CalculationOverflow> RecalculateAll(EstimateDocument& document);

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
    // The last detail calculation, for telling that the grid has not changed since.
    struct {
        std::uint64_t gridIdentity = 0;
        std::uint64_t gridVersion = 0;
        CalculationSettings settings;
        SheetTotals totals;
    } settledDetail_;
};

}  // namespace quilto
