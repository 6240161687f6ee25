#include "core/editor/line_kind.h"

#include "core/foundation/text_bytes.h"

namespace quilto {

LineKind LineKindOfMarker(std::string_view marker) {
    const std::string_view m = TrimmedView(marker);
    if (m.empty()) return LineKind::Empty;
    if (m == "*") return LineKind::Starred;
    if (m == "=") return LineKind::Syokei;
    if (m == "/") return LineKind::Nakakei;
    if (m == "\\") return LineKind::Goukei;
    if (m == "-") return LineKind::Nebiki;
    if (m == "%") return LineKind::Zei;
    return LineKind::Ordinary;
}

LineKind LineKindOf(const TextGrid& grid, int row) { return LineKindOfMarker(grid.Cell(row, 1)); }

bool IsSpecialLine(LineKind kind) {
    switch (kind) {
        case LineKind::Syokei:
        case LineKind::Nakakei:
        case LineKind::Goukei:
        case LineKind::Nebiki:
        case LineKind::Zei:
            return true;
        default:
            return false;
    }
}

const char* MarkerOf(LineKind kind) {
    switch (kind) {
        case LineKind::Syokei:
            return "=";
        case LineKind::Nakakei:
            return "/";
        case LineKind::Goukei:
            return "\\";
        case LineKind::Nebiki:
            return "-";
        case LineKind::Zei:
            return "%";
        default:
            return "";
    }
}

}  // namespace quilto
