#pragma once

// The three sheet calculations: each walks its grid from row 1 to the last used row, works
// out ordinary lines, fills in the special lines from running sums, brings every row into
// display form and returns the sheet's totals. Fixed-point throughout.

#include <string>

#include "core/editor/sheet_layout.h"
#include "core/foundation/fixed4.h"
#include "core/foundation/fixed4_format.h"  // DisplayNumber
#include "core/foundation/text_grid.h"
#include "core/store/estimate_file.h"

namespace quilto {

struct CalculationSettings {
    int amountRounding = 0;    // quantity x unit price to whole units (0 half up, 1, 2)
    int taxRounding = 0;       // the consumption tax to whole units
    int quantityDecimals = 1;  // summary and detail quantities: 1, or 2
    // Captions written into a special line's blank name cell (CP932).
    std::string subtotalCaption;
    std::string discountCaption;
    std::string totalCaption;
    std::string taxCaption;
    std::string grandTotalCaption;
    std::string taxRateText;  // the cover's ZRitu, whole percent as typed

    friend bool operator==(const CalculationSettings&, const CalculationSettings&) = default;
};

struct SheetTotals {
    Fixed4 estimateAmount;  // every ordinary amount and the tax, less discounts
    Fixed4 taxBase;         // the total line's amount (0 without a total line)
    Fixed4 costTotal;       // every ordinary cost
    int lastUsedRow = 0;
    // The first row at which a figure (the row's own or a running sum) ran past the
    // fixed-point range (+/-922,337,203,685,477.5807); 0 when every figure is exact. From
    // that row on the sheet shows capped figures, which must never be saved.
    int overflowRow = 0;
    // Every figure the calculation read from a cell reads back from what it now shows, and
    // nothing was wiped: calculating the sheet again would change no cell and no total.
    bool settled = false;
};

SheetTotals CalculateSheet(TextGrid& grid, SheetKind sheet, const CalculationSettings& settings);

// Detail sheet `sheet` of the store calculated on its records, leaving them exactly as
// loading it into the detail grid, calculating it and storing it again would (a second
// calculation included when the first leaves the sheet unsettled, as storing runs one):
// each line that would be kept is rewritten from its figures as shown, every other line
// of 1-300 is zeroed. The totals are those the stored sheet hands to its breakdown line.
// Recalculating a whole estimate this way spares moving 300 sheets through the grid.
SheetTotals CalculateDetailRecords(DetailStore& store, int sheet,
                                   const CalculationSettings& settings);

// Rewrites the numeric cells of one row in display form (also used when the cursor leaves
// a row).
void FormatRowForDisplay(TextGrid& grid, SheetKind sheet, int row,
                         const CalculationSettings& settings);

// The four header figures from the sheet that supplies the totals, as shown (14 bytes,
// thousands separators): MGoukei01, MGoukei11, MGoukei12, MGoukei13.
struct HeaderFigures {
    Fixed4 estimateAmount, totalExcludingTax, cost, grossProfit;
    std::string MGoukei01, MGoukei11, MGoukei12, MGoukei13;
};
HeaderFigures HeaderFiguresOf(const SheetTotals& totals);

// A detail sheet's figures MGoukei21 (amount) and MGoukei22 (cost), as shown.
struct DetailFigures {
    Fixed4 amount, cost;
    std::string MGoukei21, MGoukei22;
    int overflowRow = 0;  // as in SheetTotals
};
DetailFigures DetailFiguresOf(const SheetTotals& totals);

}  // namespace quilto
