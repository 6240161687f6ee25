#include "core/excel/cell_address.h"

#include <gtest/gtest.h>

#include <string>

namespace quilto {
namespace {

struct AddressCase {
    std::string address;
    int column;
    int row;
    std::string shown;  // the position text beside the field being edited
};

TEST(CellAddress, ParsesValidAndRefusesEveryOtherForm) {
    const AddressCase cases[] = {
        {"A1", 1, 1, "  1,  1"},
        {"Z9", 26, 9, " 26,  9"},
        {"AA1", 27, 1, " 27,  1"},
        {"AB4", 28, 4, " 28,  4"},
        {"ab4", 28, 4, " 28,  4"},  // letters in either case
        {"aB4", 28, 4, " 28,  4"},
        {"AZ10", 52, 10, " 52, 10"},
        {"BC25", 55, 25, " 55, 25"},
        {"AA120", 27, 120, " 27,120"},
        {"ZZ999", 702, 999, "702,999"},
        {"H17", 8, 17, "  8, 17"},
        // Invalid: no letters, three letters, row 0, leading zero, four digits, no digits,
        // anything after the digits, blanks, signs, non-ASCII letters.
        {"", 0, 0, ""},
        {"1", 0, 0, ""},
        {"ABC1", 0, 0, ""},
        {"A0", 0, 0, ""},
        {"A00", 0, 0, ""},
        {"A01", 0, 0, ""},
        {"A1234", 0, 0, ""},
        {"AB", 0, 0, ""},
        {"A1B", 0, 0, ""},
        {"A1 ", 0, 0, ""},
        {" A1", 0, 0, ""},
        {"A 1", 0, 0, ""},
        {"A-1", 0, 0, ""},
        {"A+1", 0, 0, ""},
        {"@1", 0, 0, ""},
        {"[1", 0, 0, ""},
        {"\x82\x60"
         "1",
         0, 0, ""},  // full-width Ａ in CP932
        {std::string("A1\0", 3), 0, 0, ""},
    };
    for (const AddressCase& c : cases) {
        SCOPED_TRACE("address \"" + c.address + "\"");
        const CellPosition position = ParseDefinitionAddress(c.address);
        EXPECT_EQ(position.column, c.column);
        EXPECT_EQ(position.row, c.row);
        EXPECT_EQ(position.IsValid(), c.column != 0);
        EXPECT_EQ(CellPositionText(c.address), c.shown);
    }
}

}  // namespace
}  // namespace quilto
