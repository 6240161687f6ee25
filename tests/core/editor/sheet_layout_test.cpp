// Where the cursor goes on the columns a sheet works out itself: a click lands on the next
// column a user types into, the arrow keys step over them, and ordinary columns are left to
// the grid.

#include "core/editor/sheet_layout.h"

#include <gtest/gtest.h>

namespace quilto {
namespace {

TEST(SheetLayout, TheCursorPassesOverComputedColumns) {
    const struct {
        SheetKind sheet;
        int col;
        int at;     // a click on col lands here
        int right;  // Right from col (kNoColumn: the grid's own move)
        int left;
    } cases[] = {
        {SheetKind::Breakdown, 5, 5, 8, kNoColumn},  // quantity: Right skips amount and cost
        {SheetKind::Breakdown, 6, 8, kNoColumn, kNoColumn},
        {SheetKind::Breakdown, 7, 8, kNoColumn, kNoColumn},
        {SheetKind::Breakdown, 8, 8, kNoColumn, 5},  // remarks: Left back to the quantity
        {SheetKind::Detail, 11, 11, 14, kNoColumn},  // remarks: Right over the labour columns
        {SheetKind::Detail, 12, 14, kNoColumn, kNoColumn},
        {SheetKind::Detail, 13, 14, kNoColumn, kNoColumn},
        {SheetKind::Detail, 14, 14, kNoColumn, 11},  // cost class: nothing typable beyond
        {SheetKind::Detail, 8, 8, kNoColumn, kNoColumn},
        {SheetKind::Summary, 7, 7, kNoColumn, kNoColumn},  // the summary works nothing out
        {SheetKind::Summary, 9, 9, kNoColumn, kNoColumn},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << static_cast<int>(c.sheet) << " column " << c.col);
        EXPECT_EQ(TypableColumnAt(c.sheet, c.col), c.at);
        EXPECT_EQ(TypableColumnPast(c.sheet, c.col, 1), c.right);
        EXPECT_EQ(TypableColumnPast(c.sheet, c.col, -1), c.left);
    }
}

}  // namespace
}  // namespace quilto
