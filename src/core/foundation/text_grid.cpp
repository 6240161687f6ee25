#include "core/foundation/text_grid.h"

#include <algorithm>
#include <atomic>
#include <cassert>

#include "core/foundation/fixed4_format.h"
#include "core/foundation/text_bytes.h"

namespace quilto {
namespace {

const std::string kEmptyCell;

bool IsDataRow(const TextGrid& grid, int row) { return row >= 1 && row < grid.RowCount(); }

std::uint64_t NewIdentity() {
    static std::atomic<std::uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

TextGrid::TextGrid(int rowCount, int colCount)
    : rows_(std::max(rowCount, 0)),
      cols_(std::max(colCount, 0)),
      cells_(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(cols_)),
      numbers_(cells_.size(), kNoNumber),
      pending_(cells_.size()),
      identity_(NewIdentity()) {}

TextGrid::TextGrid(const TextGrid& other)
    : rows_(other.rows_),
      cols_(other.cols_),
      cells_(other.cells_),
      numbers_(other.numbers_),
      pending_(other.pending_),
      currentRow_(other.currentRow_),
      selection_(other.selection_),
      rowChanges_(other.rowChanges_),
      identity_(NewIdentity()) {}

TextGrid& TextGrid::operator=(const TextGrid& other) {
    if (this == &other) return *this;
    rows_ = other.rows_;
    cols_ = other.cols_;
    cells_ = other.cells_;
    numbers_ = other.numbers_;
    pending_ = other.pending_;
    currentRow_ = other.currentRow_;
    selection_ = other.selection_;
    rowChanges_ = other.rowChanges_;
    ++version_;
    return *this;
}

const std::string& TextGrid::EmptyCell() { return kEmptyCell; }

void TextGrid::MakeText(std::size_t i) const {
    PendingText& p = pending_[i];
    const Fixed4 value = Fixed4::FromRaw(p.value);
    if (p.form.kind == NumberForm::Kind::Display) {
        AssignDisplayNumber(cells_[i], value, p.form.width, p.form.decimals, p.form.grouped);
    } else {
        AssignFixed4Text(cells_[i], value);
    }
    p.form.kind = NumberForm::Kind::None;
    assert(TextToFixed4(cells_[i]).raw == numbers_[i]);
}

void TextGrid::ClearCell(int row, int col) {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return;
    const std::size_t i = static_cast<std::size_t>(row) * cols_ + col;
    if (pending_[i].form.kind == NumberForm::Kind::None && cells_[i].empty()) return;
    ++version_;
    cells_[i].clear();
    numbers_[i] = kNoNumber;
    pending_[i].form.kind = NumberForm::Kind::None;
}

void TextGrid::ClearRow(int row) {
    for (int col = 0; col < cols_; ++col) SetCell(row, col, {});
}

void InsertGridRow(TextGrid& grid, int firstCol) {
    const int current = grid.CurrentRow();
    if (!IsDataRow(grid, current)) return;
    grid.CountRowChange();
    firstCol = std::max(firstCol, 0);
    for (int row = grid.RowCount() - 1; row > current; --row) {
        for (int col = firstCol; col < grid.ColCount(); ++col) {
            grid.SetCell(row, col, grid.Cell(row - 1, col));
        }
    }
    for (int col = firstCol; col < grid.ColCount(); ++col) grid.SetCell(current, col, {});
}

void DeleteGridRow(TextGrid& grid, int firstCol) {
    // Guarded like InsertGridRow: from a header row the move would overwrite the headers.
    const int current = grid.CurrentRow();
    if (!IsDataRow(grid, current)) return;
    grid.CountRowChange();
    firstCol = std::max(firstCol, 0);
    for (int row = current; row < grid.RowCount() - 1; ++row) {
        for (int col = firstCol; col < grid.ColCount(); ++col) {
            grid.SetCell(row, col, grid.Cell(row + 1, col));
        }
    }
    for (int col = firstCol; col < grid.ColCount(); ++col) {
        grid.SetCell(grid.RowCount() - 1, col, {});
    }
}

void CopyGridSelection(const TextGrid& source, TextGrid& target, int firstCol) {
    const GridSelection& s = source.Selection();
    target.SetSelection(s);
    firstCol = std::max(firstCol, 0);
    for (int row = std::min(s.top, s.bottom); row <= std::max(s.top, s.bottom); ++row) {
        for (int col = firstCol; col < source.ColCount(); ++col) {
            target.SetCell(row, col, source.Cell(row, col));
        }
    }
}

bool GridRowUsed(const TextGrid& grid, int row) {
    if (row < 0 || row >= grid.RowCount()) return false;
    for (int col = 1; col < grid.ColCount(); ++col) {
        // Most cells of a long sheet are empty: those are told without a call.
        const std::string& cell = grid.Cell(row, col);
        if (!cell.empty() && HasText(cell)) return true;
    }
    return false;
}

int LastUsedGridRow(const TextGrid& grid) {
    for (int row = grid.RowCount() - 1; row >= 1; --row) {
        if (GridRowUsed(grid, row)) return row;
    }
    return 0;
}

}  // namespace quilto
