#pragma once

// The three sheets of an estimate and where each figure sits in their grids. Column 0 is
// the row number, column 1 the line-kind marker (or a code), column 2 the line number text,
// column 3 the name; the rest differs by sheet.

#include <string>
#include <vector>

namespace quilto {

enum class SheetKind { Breakdown, Detail, Summary };  // StringGrid1, StringGrid2, StringGrid3

constexpr int kNoColumn = -1;

// The one of three things that belongs to a sheet.
template <typename T>
T& BySheet(SheetKind sheet, T& breakdown, T& detail, T& summary) {
    switch (sheet) {
        case SheetKind::Breakdown:
            return breakdown;
        case SheetKind::Detail:
            return detail;
        case SheetKind::Summary:
            break;
    }
    return summary;
}

struct SheetColumns {
    int rowCount;  // with the header row
    int colCount;
    int lastDataRow;  // 300 or 1000
    int unit;
    int quantity;
    int unitPrice;  // kNoColumn in the breakdown
    int amount;
    int costUnitPrice;  // kNoColumn in the breakdown
    int cost;
    int remarks;
    int labourRate;       // detail only
    int labourAmount;     // detail only
    int lastEnterColumn;  // the last column Enter visits before the next row
    // Columns beyond those of the stored layout, at the right of their grids: the detail
    // line's cost class (its short name) and the breakdown line's days of work.
    int costClass = kNoColumn;  // detail only
    int workDays = kNoColumn;   // breakdown only
};

const SheetColumns& ColumnsOf(SheetKind sheet);

struct ColumnSpec {
    const char* header;  // UTF-8; the grid holds it as CP932
    int width;           // pixels
    int maxBytes;        // 0: not typed
};
const std::vector<ColumnSpec>& ColumnSpecsOf(SheetKind sheet);

// What a user can type into a cell. Number cells take digits and "-", and "." where
// decimals are allowed; their length is counted after the numeric clean-up. maxBytes is
// the most a user can type (0 for a cell that is calculated, never typed).
enum class CellTypingKind { Text, WholeNumber, DecimalNumber };
struct CellTyping {
    CellTypingKind kind;
    int maxBytes;
};
CellTyping CellTypingOf(SheetKind sheet, int col);

}  // namespace quilto
