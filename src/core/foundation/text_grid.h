#pragma once

// A grid of CP932 texts, rows x columns, as the editor's sheets hold them. Row 0 and
// column 0 are headers. It has a current row and a selection like the grid a user sees,
// because the row operations act on them.

#include <cassert>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/foundation/fixed4.h"

namespace quilto {

// How a number cell's text is written from its value: the shortest plain form
// (Fixed4ToText), or the display form (DisplayNumber with these arguments).
struct NumberForm {
    enum class Kind : std::uint8_t { None, Plain, Display };
    Kind kind = Kind::None;
    std::int8_t width = 0;
    std::int8_t decimals = 0;
    bool grouped = false;

    static constexpr NumberForm Plain() { return NumberForm{Kind::Plain}; }
    static constexpr NumberForm Display(int width, int decimals, bool grouped) {
        return NumberForm{Kind::Display, static_cast<std::int8_t>(width),
                          static_cast<std::int8_t>(decimals), grouped};
    }
};

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
    // Cells outside the grid read as empty and ignore writes. A number cell's text is made
    // here when it is first read, so a const read may write the cell's storage: a grid is
    // read by one thread at a time.
    const std::string& Cell(int row, int col) const {
        if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return EmptyCell();
        const std::size_t i = static_cast<std::size_t>(row) * cols_ + col;
        if (pending_[i].form.kind != NumberForm::Kind::None) MakeText(i);
        return cells_[i];
    }
    void SetCell(int row, int col, std::string text) {
        if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return;
        const std::size_t i = static_cast<std::size_t>(row) * cols_ + col;
        ++version_;
        cells_[i] = std::move(text);
        numbers_[i] = kNoNumber;
        pending_[i].form.kind = NumberForm::Kind::None;
    }
    // Rewrites a cell's text in place through write(std::string&), reusing its storage;
    // write replaces the whole text.
    template <typename Write>
    void RewriteCell(int row, int col, Write&& write) {
        if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return;
        const std::size_t i = static_cast<std::size_t>(row) * cols_ + col;
        ++version_;
        write(cells_[i]);
        numbers_[i] = kNoNumber;
        pending_[i].form.kind = NumberForm::Kind::None;
    }
    // Empties a cell; a cell already empty is left as it is (and the version with it).
    void ClearCell(int row, int col);
    // A number cell: its text is `value` written in `form`, and it reads as `reads` (what
    // that text converts back to: the value rounded as the form rounds it), which NumberAt
    // then gives without reading the text. The text itself is made only when something reads
    // it: a recalculation rewrites every number of a sheet, and mostly only the values are
    // read before the next one.
    void SetNumberCell(int row, int col, Fixed4 reads, Fixed4 value, NumberForm form) {
        if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return;
        const std::size_t i = static_cast<std::size_t>(row) * cols_ + col;
        ++version_;
        numbers_[i] = reads.raw;
        assert(form.kind != NumberForm::Kind::None);  // the text would never be made
        pending_[i] = PendingText{value.raw, form};
    }
    void SetNumberCell(int row, int col, Fixed4 value) {
        SetNumberCell(row, col, value, value, NumberForm::Plain());
    }
    // What the cell's text reads as, when the grid knows it without reading the text (a number
    // cell); nothing for a cell of typed or pasted text.
    std::optional<Fixed4> KnownNumber(int row, int col) const {
        if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return std::nullopt;
        const std::int64_t n = numbers_[static_cast<std::size_t>(row) * cols_ + col];
        if (n == kNoNumber) return std::nullopt;
        return Fixed4::FromRaw(n);
    }
    // TextToFixed4 of the cell.
    Fixed4 NumberAt(int row, int col) const {
        if (row < 0 || row >= rows_ || col < 0 || col >= cols_) return Fixed4{};
        const std::size_t i = static_cast<std::size_t>(row) * cols_ + col;
        if (numbers_[i] == kNoNumber) return TextToFixed4(cells_[i]);
        return Fixed4::FromRaw(numbers_[i]);
    }
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
    void MakeText(std::size_t i) const;

    // A number cell's text not yet written: the value and how to write it.
    struct PendingText {
        std::int64_t value = 0;
        NumberForm form;
    };

    int rows_;
    int cols_;
    static constexpr std::int64_t kNoNumber = INT64_MIN;  // never a converted cell text
    mutable std::vector<std::string> cells_;
    std::vector<std::int64_t> numbers_;  // per cell: its value as a number, or kNoNumber
    mutable std::vector<PendingText> pending_;
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
// A row (inside the grid) with text in a column after the first.
bool GridRowUsed(const TextGrid& grid, int row);

}  // namespace quilto
