#pragma once

// Every line of every sheet is classified by the trimmed text of its marker cell
// (column 1). The numbers are the kind codes the rest of the program compares against.

#include <string_view>

#include "core/foundation/text_grid.h"

namespace quilto {

enum class LineKind : int {
    Ordinary = 0,  // any other marker text: a construction or product code
    Starred = 1,   // "*": calculated like an ordinary line
    Syokei = 2,    // "=" subtotal
    Nakakei = 3,   // "/" total
    Goukei = 4,    // "\" grand total
    Nebiki = 5,    // "-" discount
    Zei = 6,       // "%" consumption tax
    Empty = 9,     // blank marker: a free line
};

LineKind LineKindOfMarker(std::string_view marker);
LineKind LineKindOf(const TextGrid& grid, int row);
bool IsSpecialLine(LineKind kind);
// The marker text that makes a line of this kind ("=", "/", "\", "-", "%"); empty otherwise.
const char* MarkerOf(LineKind kind);

}  // namespace quilto
