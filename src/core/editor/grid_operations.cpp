#include "core/editor/grid_operations.h"

#include "core/foundation/text_bytes.h"

namespace quilto {

bool InsertLine(TextGrid& grid) {
    const int row = grid.CurrentRow();
    if (row < 1 || row >= grid.RowCount()) return false;
    if (GridRowUsed(grid, grid.RowCount() - 1)) return false;
    InsertGridRow(grid, 1);
    return true;
}

bool DeleteLine(TextGrid& grid) {
    const int row = grid.CurrentRow();
    if (row < 1 || row >= grid.RowCount()) return false;
    DeleteGridRow(grid, 1);
    return true;
}

void LineClipboard::Copy(const TextGrid& grid) {
    const int row = grid.CurrentRow();
    for (int col = 1; col < grid.ColCount() && col < kSlots; ++col)
        slots_[static_cast<std::size_t>(col)] = grid.Cell(row, col);
}

bool LineClipboard::Empty() const {
    for (const std::string& slot : slots_)
        if (HasText(slot)) return false;
    return true;
}

bool LineClipboard::Paste(TextGrid& grid, SheetKind sheet, bool editing) const {
    if (editing || sheet == SheetKind::Breakdown || Empty()) return false;
    const int row = grid.CurrentRow();
    for (int col = 1; col < grid.ColCount() && col < kSlots; ++col)
        grid.SetCell(row, col, slots_[static_cast<std::size_t>(col)]);
    grid.CountRowChange();
    return true;
}

int DuplicateLineAbove(TextGrid& grid, SheetKind sheet, bool editing) {
    const int row = grid.CurrentRow();
    if (editing) return row;
    if (row > 1 && sheet != SheetKind::Breakdown && GridRowUsed(grid, row - 1)) {
        for (int col = 1; col < grid.ColCount(); ++col)
            grid.SetCell(row, col, grid.Cell(row - 1, col));
        grid.CountRowChange();
    }
    return row < grid.RowCount() - 1 ? row + 1 : row;
}

void HideRemarks(TextGrid& grid, SheetKind sheet, int row) {
    const int col = ColumnsOf(sheet).remarks;
    grid.SetCell(row, col, Trimmed(CutToBytes("//" + grid.Cell(row, col), 28)));
}

}  // namespace quilto
