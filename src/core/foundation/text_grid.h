#pragma once

// A grid of CP932 texts, rows x columns, as the editor's sheets hold them. Row 0 and
// column 0 are headers. It has a current row and a selection like the grid a user sees,
// because the row operations act on them.

#include <climits>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "foundation/fixed4.h"

namespace quilto {

struct GridSelection {
    int top = 1, left = 1, bottom = 1, right = 1;
};

class TextGrid {
  public:
    TextGrid(int rowCount, int colCount);
    // A copy is a grid of its own: it gets an identity of its own.
    TextGrid(const TextGrid& other);
    TextGrid& operator=(const TextGrid& other);

    int RowCount() const { return rows_; }
    int ColCount() const { return cols_; }
    // Cells outside the grid read as empty and ignore writes.
    const std::string& Cell(int row, int col) const {
        if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return EmptyCell();
        return cells_[static_cast<std::size_t>(row) * cols_ + col];
    }
    void SetCell(int row, int col, std::string text) {
        if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return;
        const std::size_t i = static_cast<std::size_t>(row) * cols_ + col;
        ++version_;
        cells_[i] = std::move(text);
        numbers_[i] = kNoNumber;
    }
    // Rewrites a cell's text in place through write(std::string&), reusing its storage.
    template <typename Write>
    void RewriteCell(int row, int col, Write&& write) {
        RewriteNumberCell(row, col, Fixed4::FromRaw(kNoNumber), write);
    }
    // The same for a number cell whose text reads as value (TextToFixed4(text) == value,
    // checked in debug builds): NumberAt then gives the value without reading the text.
    template <typename Write>
    void RewriteNumberCell(int row, int col, Fixed4 value, Write&& write) {
        if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return;
        const std::size_t i = static_cast<std::size_t>(row) * cols_ + col;
        ++version_;
        write(cells_[i]);
        numbers_[i] = value.raw;
    }
    // TextToFixed4 of the cell.
    Fixed4 NumberAt(int row, int col) const;
    void ClearRow(int row);  // every column, the header column included

    int CurrentRow() const { return currentRow_; }
    void SetCurrentRow(int row) { currentRow_ = row; }
    const GridSelection& Selection() const { return selection_; }
    void SetSelection(const GridSelection& s) { selection_ = s; }

    // Counts the operations that move or replace whole rows (insert, delete, paste,
    // duplicate), so that whatever remembers rows by number can tell it no longer matches.
    unsigned RowChanges() const { return rowChanges_; }
    void CountRowChange() { ++rowChanges_; }

    // Together they tell whether a grid still holds what it held when they were taken: the
    // identity is unique to this grid (copies get their own), the version grows with every
    // write of a cell.
    std::uint64_t Identity() const { return identity_; }
    std::uint64_t Version() const { return version_; }

  private:
    static const std::string& EmptyCell();

    int rows_;
    int cols_;
    static constexpr std::int64_t kNoNumber = INT64_MIN;  // never a converted cell text
    std::vector<std::string> cells_;
    std::vector<std::int64_t> numbers_;  // per cell: its value as a number, or kNoNumber
    int currentRow_ = 1;
    GridSelection selection_;
    unsigned rowChanges_ = 0;
    std::uint64_t identity_;
    std::uint64_t version_ = 0;
};

void InsertGridRow(TextGrid& grid, int firstCol);
void DeleteGridRow(TextGrid& grid, int firstCol);
void CopyGridSelection(const TextGrid& source, TextGrid& target, int firstCol);
int LastUsedGridRow(const TextGrid& grid);
int GridRowUsed(const TextGrid& grid, int row);

}  // namespace quilto
