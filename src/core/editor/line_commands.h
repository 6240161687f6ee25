#pragma once

// The commands that turn the current row into a special line. They only change the grid;
// the caller runs the sheet calculation afterwards and moves the cursor (NextRowAfterCommand).
// A command that cannot apply does nothing and says nothing.

#include <string>

#include "core/editor/line_kind.h"
#include "core/editor/sheet_layout.h"
#include "core/foundation/questions.h"
#include "core/foundation/text_grid.h"

namespace quilto {

// Subtotal, total, tax, grand total: only on a wholly blank current row; total, tax and
// grand total at most once per grid; tax and grand total not in a detail sheet.
// true when the row became that line.
bool MakeSpecialLine(TextGrid& grid, SheetKind sheet, LineKind kind);

// The discount command up to its amount dialog: true when the current row is (now) a
// discount line whose amount may be asked for. managementNumber is the cover's MNo (the
// breakdown and summary need one).
bool PrepareDiscountLine(TextGrid& grid, SheetKind sheet, const std::string& managementNumber);

// "33,000" as "33000": a whole number grouped by thousands with its separators taken out;
// any other text as it is.
std::string WithoutThousandsSeparators(const std::string& text);

// The amount dialog, asked again until answered: writes a valid whole amount into the
// amount column; Cancel or an empty answer leaves it as it was. true when it was changed.
bool AskDiscountAmount(TextGrid& grid, SheetKind sheet, Questions& questions);

// The row the cursor moves to after a line command: one down while above the second-to-last.
int NextRowAfterCommand(const TextGrid& grid, int row);

}  // namespace quilto
