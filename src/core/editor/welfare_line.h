#pragma once

// The statutory welfare line (法定福利費, the employer's share): one line of the detail sheet
// on screen, classed 法定福利費, whose amount is the welfare rate times the sheet's labour.
// As a line of its own it is part of the estimate's totals, not a note beside them. Run
// again, the command updates the line it made (the first line classed 法定福利費) instead
// of adding another. It only changes the grid; the caller runs the detail calculation.

#include "core/editor/estimate_document.h"
#include "core/foundation/fixed4.h"

namespace quilto {

enum class WelfareLineResult {
    kAdded,
    kUpdated,
    kNoSheet,    // no detail sheet on screen (or a special breakdown line)
    kNoLabour,   // the sheet has no labour to take the rate of
    kSheetFull,  // no free row for a new line
};

struct WelfareLine {
    WelfareLineResult result = WelfareLineResult::kNoSheet;
    int row = 0;  // the line's row in the detail grid
    Fixed4 labour;
    Fixed4 amount;
};

// rate is in percent (15.6); the amount is brought to whole yen with the amount rounding.
// A new line goes above the sheet's total line (計) when it has one, else below its last
// line.
WelfareLine PlaceWelfareLine(EstimateDocument& document, Fixed4 ratePercent, int amountRounding);

}  // namespace quilto
