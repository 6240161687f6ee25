#include "core/editor/breakdown_lines.h"

#include <utility>

#include "core/editor/grid_operations.h"

namespace quilto {

bool InsertBreakdownLine(EstimateDocument& document) {
    TextGrid& grid = document.Grid(SheetKind::Breakdown);
    const int row = grid.CurrentRow();
    document.StoreDetailSheet();
    if (!InsertLine(grid)) return false;
    EstimateStores& stores = document.Stores();
    // The last line's record and sheet travel up to the inserted row and are emptied there.
    for (int line = kBreakdownLines; line > row; --line) {
        std::swap(stores.breakdown[static_cast<std::size_t>(line)],
                  stores.breakdown[static_cast<std::size_t>(line - 1)]);
        stores.details.SwapSheets(line, line - 1);
    }
    stores.breakdown[static_cast<std::size_t>(row)].Clear();
    stores.details.ClearSheet(row);
    return true;
}

bool DeleteBreakdownLine(EstimateDocument& document) {
    TextGrid& grid = document.Grid(SheetKind::Breakdown);
    const int row = grid.CurrentRow();
    document.StoreDetailSheet();
    if (!DeleteLine(grid)) return false;
    EstimateStores& stores = document.Stores();
    // The deleted line's record and sheet travel down to the last row and are emptied there.
    for (int line = row; line < kBreakdownLines; ++line) {
        std::swap(stores.breakdown[static_cast<std::size_t>(line)],
                  stores.breakdown[static_cast<std::size_t>(line + 1)]);
        stores.details.SwapSheets(line, line + 1);
    }
    stores.breakdown[static_cast<std::size_t>(kBreakdownLines)].Clear();
    stores.details.ClearSheet(kBreakdownLines);
    return true;
}

}  // namespace quilto
