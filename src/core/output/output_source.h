#pragma once

// Everything an output reads: the estimate as the editor holds it, the environment, the
// user's choices, the table definitions of the chosen pattern and the registration number.

#include <string>
#include <vector>

#include "core/editor/estimate_document.h"
#include "core/excel/table_definition.h"
#include "core/output/output_choices.h"
#include "core/store/environment.h"

namespace quilto {

struct OutputSource {
    const EstimateDocument& document;
    const Environment& environment;
    const OutputChoices& choices;
    const TableDefinitions& definitions;
    // The issuer's invoice registration number ("T" and 13 digits) from quilto.conf, or
    // empty: printed on the free-form outputs.
    std::string registrationNumber = {};
};

// The breakdown line's record says it has detail lines.
bool OwnsDetailSheet(const EstimateDocument& document, int row);

// A breakdown row counts for the detail sheets when its marker, name, unit or amount is
// there (an amount of "0" is none), it owns a detail sheet (its record says it has detail
// lines) and it is not a special line.
bool HasPrintableDetailSheet(const EstimateDocument& document, int row);

// The detail lines of breakdown row `row`: up to the last one with a code, name,
// specification or unit.
int DetailLineCount(const EstimateDocument& document, int row);

// A detail sheet without a total (計) line of its own gets one printed below its last line,
// so that its pages say what the construction comes to.
bool PrintsDetailTotal(const EstimateDocument& document, int row);
// The lines the detail pages of row `row` take: its detail lines and the printed total.
int DetailPrintLineCount(const EstimateDocument& document, int row);

// The constructions a user can choose for the detail sheets, in breakdown order: every row
// with a marker, name or amount that owns a detail sheet and is not a special line.
struct ConstructionEntry {
    int row = 0;       // breakdown row, 1-300
    std::string name;  // CP932, as in the grid
};
std::vector<ConstructionEntry> ListConstructions(const EstimateDocument& document);

}  // namespace quilto
