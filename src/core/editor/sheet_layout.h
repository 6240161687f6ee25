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

// Where each field of a line sits in a sheet's grid; kNoColumn where the sheet has none.
struct SheetColumns {
    int rowCount;  // with the header row
    int colCount;
    int lastDataRow;  // 300 or 1000
    int marker;       // the line-kind marker, in the detail sheet the product code
    int number;       // the line number text
    int name;
    int specification;  // detail only
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

// Columns a user never types into: figures the sheet works out (a breakdown line's amount
// and cost come from its detail sheet, the detail's labour figures come with the product
// and are hidden). A mouse click on one lands on the column a user types into instead; the
// arrow keys step over them.
bool IsComputedColumn(SheetKind sheet, int col);
// The column the cursor stands on when it is put on col: col itself, or for a computed
// column the next column to its right a user can type into (the last one before it where
// none follows).
int TypableColumnAt(SheetKind sheet, int col);
// The column an arrow key moves to from col (step +1 right, -1 left) when the neighbour it
// would reach is computed: the first typable column beyond. kNoColumn where the grid's own
// move is right: the neighbour is an ordinary column, col itself is computed, or nothing
// typable lies beyond.
int TypableColumnPast(SheetKind sheet, int col, int step);

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
