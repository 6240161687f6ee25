#pragma once

// Spreadsheet cell addresses as the table definitions hold them: one or two letters and a
// row number of one to three digits, such as "AB4" or "H17".

#include <string>
#include <string_view>

namespace quilto {

struct CellPosition {
    int column = 0;  // 1 = A, 26 = Z, 27 = AA ... 702 = ZZ; 0 when the address is invalid
    int row = 0;     // 1 ... 999; 0 when the address is invalid

    bool IsValid() const { return column > 0 && row > 0; }
    friend bool operator==(const CellPosition&, const CellPosition&) = default;
};

// Column and row of an address, letters in either case. Valid only as one or two letters
// A-Z followed by one to three digits that neither start with "0" nor read as 0, and
// nothing else (no blanks). Anything else, the empty text included, gives column 0 and
// row 0: the item of that address is not printed.
CellPosition ParseDefinitionAddress(std::string_view address);

// The position shown beside an address being edited: column and row, each right-aligned
// in three characters, joined by "," ("AB4" gives " 28,  4"); empty for an invalid address.
std::string CellPositionText(std::string_view address);

}  // namespace quilto
