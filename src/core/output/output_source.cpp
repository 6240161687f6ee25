#include "core/output/output_source.h"

#include <algorithm>

#include "core/editor/line_kind.h"
#include "core/foundation/text_bytes.h"
#include "core/output/output_values.h"

namespace quilto {

bool OwnsDetailSheet(const EstimateDocument& document, int row) {
    const auto& lines = document.Stores().breakdown;
    return row >= 1 && row < static_cast<int>(lines.size()) && lines[row].DetailCount() > 0;
}

bool HasPrintableDetailSheet(const EstimateDocument& document, int row) {
    const TextGrid& grid = document.Grid(SheetKind::Breakdown);
    const bool there = HasText(grid.Cell(row, 1)) || HasText(grid.Cell(row, 3)) ||
                       HasText(grid.Cell(row, 4)) || !IsNoAmount(grid.Cell(row, 6));
    return there && OwnsDetailSheet(document, row) &&
           !IsSpecialLine(LineKindOfMarker(grid.Cell(row, 1)));
}

int DetailLineCount(const EstimateDocument& document, int row) {
    return std::min(DetailCount(document.Stores(), row), kDetailLines);
}

namespace {

// Whether a sheet of `count` lines has no total line of its own. Counting a sheet's lines
// scans it from its last slot, so the count is worked out once and handed in.
bool LacksTotalLine(const EstimateDocument& document, int row, int count) {
    for (int line = 1; line <= count; ++line) {
        if (LineKindOfMarker(document.Stores().details.Line(row, line).Code()) == LineKind::Nakakei)
            return false;
    }
    return count > 0;
}

}  // namespace

bool PrintsDetailTotal(const EstimateDocument& document, int row) {
    return LacksTotalLine(document, row, DetailLineCount(document, row));
}

int DetailPrintLineCount(const EstimateDocument& document, int row) {
    const int count = DetailLineCount(document, row);
    return count + (LacksTotalLine(document, row, count) ? 1 : 0);
}

std::vector<ConstructionEntry> ListConstructions(const EstimateDocument& document) {
    const TextGrid& grid = document.Grid(SheetKind::Breakdown);
    std::vector<ConstructionEntry> entries;
    const int last = LastUsedGridRow(grid);
    for (int row = 1; row <= last; ++row) {
        const std::string& marker = grid.Cell(row, 1);
        const std::string& name = grid.Cell(row, 3);
        if (!HasText(marker) && !HasText(name) && IsNoAmount(grid.Cell(row, 6))) continue;
        if (!OwnsDetailSheet(document, row) || IsSpecialLine(LineKindOfMarker(marker))) continue;
        entries.push_back({row, name});
    }
    return entries;
}

}  // namespace quilto
