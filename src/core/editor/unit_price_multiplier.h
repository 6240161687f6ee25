#pragma once

// Scales the unit prices of an estimate by a whole percentage (1-200) and recalculates,
// with a one-step undo: the breakdown variant scales the detail lines of every breakdown
// line, the summary variant the summary lines. Special lines never take part.

#include <vector>

#include "core/editor/estimate_calculator.h"
#include "core/editor/estimate_document.h"
#include "core/foundation/fixed4.h"
#include "core/foundation/questions.h"

namespace quilto {

class UnitPriceMultiplier {
  public:
    UnitPriceMultiplier();

    // The four menu commands. Each asks through questions and returns true when it
    // changed the estimate.
    bool ApplyToBreakdown(EstimateDocument& document, EstimateCalculator& calculator,
                          Questions& questions);
    bool UndoBreakdown(EstimateDocument& document, EstimateCalculator& calculator,
                       Questions& questions);
    bool ApplyToSummary(EstimateDocument& document, EstimateCalculator& calculator,
                        Questions& questions);
    bool UndoSummary(EstimateDocument& document, EstimateCalculator& calculator,
                     Questions& questions);

    // The breakdown or summary grid lost the focus: an undo is no longer possible. An undo
    // is not possible either once a line was inserted, deleted, pasted or duplicated in any
    // grid since the multiplier was applied: its saved prices belong to rows by number, and
    // restoring them would put prices on other lines.
    void Forget() { applied_ = false; }
    // The editor is shown: the undo stores are emptied as well.
    void Reset();
    bool Applied() const { return applied_; }

  private:
    // The rate the user typed (1-200), or 0 after a message or Cancel.
    int AskRate(Questions& questions, const char* title);
    void RecalculateEveryDetailSheet(EstimateDocument& document, EstimateCalculator& calculator);
    void MarkApplied(const EstimateDocument& document);
    // Applied, with the rows still where they were; otherwise says so and forgets.
    bool CanUndo(const EstimateDocument& document, Questions& questions);

    std::vector<Fixed4> detailPrices_;   // [breakdown line][detail line]
    std::vector<Fixed4> summaryPrices_;  // [summary row]
    bool applied_ = false;
    unsigned rowChangesWhenApplied_ = 0;  // of all three grids
};

}  // namespace quilto
