#pragma once

// Line operations on a sheet's grid: insert, delete, copy, paste, duplicate, hide remarks.
// Refused operations do nothing and say nothing. Moving the breakdown lines' records and
// detail sheets along with their rows is the document's business (see estimate_editor).

#include <array>
#include <string>

#include "core/editor/sheet_layout.h"
#include "core/foundation/text_grid.h"

namespace quilto {

// Insert an empty line at the current row; refused when the last row holds data.
bool InsertLine(TextGrid& grid);
// Delete the current row; the rows below move up.
bool DeleteLine(TextGrid& grid);

// One copied row, shared by all three grids (slot index = column).
class LineClipboard {
  public:
    static constexpr int kSlots = 51;
    void Clear() { slots_.fill({}); }
    void Copy(const TextGrid& grid);
    // Not into the breakdown grid, not while editing, and only when something was copied.
    bool Paste(TextGrid& grid, SheetKind sheet, bool editing) const;
    bool Empty() const;

  private:
    std::array<std::string, kSlots> slots_;
};

// Copies the row above into the current row (not in the breakdown, not on row 1, not
// while editing, only when the row above holds data). Returns the row the cursor moves to
// (one down, in every grid, unless editing).
int DuplicateLineAbove(TextGrid& grid, SheetKind sheet, bool editing);

// "//" in front of the remarks so that they are not printed; cut to 28 bytes and trimmed.
void HideRemarks(TextGrid& grid, SheetKind sheet, int row);

}  // namespace quilto
