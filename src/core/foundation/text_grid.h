#pragma once

// A grid of CP932 texts, rows x columns, as the editor's sheets hold them. Row 0 and
// column 0 are headers. It has a current row and a selection like the grid a user sees,
// because the row operations act on them.

#include <string>
#include <vector>

namespace quilto {

struct GridSelection {
    int top = 1, left = 1, bottom = 1, right = 1;
};

class TextGrid {
  public:
    TextGrid(int rowCount, int colCount);

    int RowCount() const { return rows_; }
    int ColCount() const { return cols_; }
    // Cells outside the grid read as empty and ignore writes.
    const std::string& Cell(int row, int col) const;
    void SetCell(int row, int col, std::string text);
    void ClearRow(int row);  // every column, the header column included

    int CurrentRow() const { return currentRow_; }
    void SetCurrentRow(int row) { currentRow_ = row; }
    const GridSelection& Selection() const { return selection_; }
    void SetSelection(const GridSelection& s) { selection_ = s; }

    // Counts the operations that move or replace whole rows (insert, delete, paste,
    // duplicate), so that whatever remembers rows by number can tell it no longer matches.
    unsigned RowChanges() const { return rowChanges_; }
    void CountRowChange() { ++rowChanges_; }

  private:
    int rows_;
    int cols_;
    std::vector<std::string> cells_;
    int currentRow_ = 1;
    GridSelection selection_;
    unsigned rowChanges_ = 0;
};

void InsertGridRow(TextGrid& grid, int firstCol);
void DeleteGridRow(TextGrid& grid, int firstCol);
void CopyGridSelection(const TextGrid& source, TextGrid& target, int firstCol);
int LastUsedGridRow(const TextGrid& grid);
int GridRowUsed(const TextGrid& grid, int row);

}  // namespace quilto
