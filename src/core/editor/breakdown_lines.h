#pragma once

// Inserting and deleting breakdown lines: each line's record and detail sheet move with
// its row, so details never end up under another line. The caller runs the breakdown
// calculation afterwards, as after any line operation.

#include "core/editor/estimate_document.h"

namespace quilto {

// An empty line (empty record, empty detail sheet) at the breakdown grid's current row;
// refused when the last row holds data.
bool InsertBreakdownLine(EstimateDocument& document);
// Removes the current row's line with its record and detail sheet; the lines below move up.
bool DeleteBreakdownLine(EstimateDocument& document);

}  // namespace quilto
