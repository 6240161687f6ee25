#include "core/foundation/text_grid.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/foundation/fixed4_format.h"

namespace quilto {
namespace {

// Five rows (a header and four data rows) of three columns; column 0 holds the row
// numbers, which the row operations starting at column 1 must leave alone.
TextGrid NumberedGrid() {
    TextGrid grid(5, 3);
    for (int row = 0; row < 5; ++row) {
        grid.SetCell(row, 0, std::to_string(row));
        grid.SetCell(row, 1, std::string("a").append(std::to_string(row)));
        grid.SetCell(row, 2, std::string("b").append(std::to_string(row)));
    }
    return grid;
}

// Column 1 of every row, then column 0 of every row.
std::vector<std::string> Columns(const TextGrid& grid) {
    std::vector<std::string> out;
    for (int col : {1, 0}) {
        for (int row = 0; row < grid.RowCount(); ++row) out.push_back(grid.Cell(row, col));
    }
    return out;
}

using Texts = std::vector<std::string>;
const Texts kNumbers = {"0", "1", "2", "3", "4"};

TEST(TextGrid, InsertRowPushesTheRowsBelowDown) {
    TextGrid grid = NumberedGrid();
    grid.SetCurrentRow(2);
    InsertGridRow(grid, 1);
    Texts expected = {"a0", "a1", "", "a2", "a3"};  // the last row's a4 is lost
    expected.insert(expected.end(), kNumbers.begin(), kNumbers.end());
    EXPECT_EQ(Columns(grid), expected);
    EXPECT_EQ(grid.Cell(2, 2), "");
    EXPECT_EQ(grid.Cell(3, 2), "b2");

    grid = NumberedGrid();
    grid.SetCurrentRow(4);
    InsertGridRow(grid, 1);
    EXPECT_EQ(grid.Cell(4, 1), "");
    EXPECT_EQ(grid.Cell(3, 1), "a3");
}

TEST(TextGrid, DeleteRowPullsTheRowsBelowUp) {
    TextGrid grid = NumberedGrid();
    grid.SetCurrentRow(2);
    DeleteGridRow(grid, 1);
    Texts expected = {"a0", "a1", "a3", "a4", ""};
    expected.insert(expected.end(), kNumbers.begin(), kNumbers.end());
    EXPECT_EQ(Columns(grid), expected);
    EXPECT_EQ(grid.Cell(4, 2), "");

    grid = NumberedGrid();
    grid.SetCurrentRow(4);
    DeleteGridRow(grid, 0);
    EXPECT_EQ(grid.Cell(4, 0), "");
    EXPECT_EQ(grid.Cell(3, 1), "a3");
}

TEST(TextGrid, RowOperationsLeaveHeadersAndOtherGridsAlone) {
    const Texts untouched = Columns(NumberedGrid());
    for (int current : {0, 5, -1}) {
        TextGrid grid = NumberedGrid();
        grid.SetCurrentRow(current);
        InsertGridRow(grid, 1);
        EXPECT_EQ(Columns(grid), untouched) << "insert at " << current;
        DeleteGridRow(grid, 1);
        EXPECT_EQ(Columns(grid), untouched) << "delete at " << current;
    }
}

TEST(TextGrid, CopySelectionCopiesSelectedRowsFromFirstColumn) {
    TextGrid source = NumberedGrid();
    source.SetSelection({2, 1, 3, 2});
    TextGrid target(5, 3);
    target.SetCell(1, 1, "keep");
    target.SetCell(2, 0, "keep0");

    CopyGridSelection(source, target, 1);

    EXPECT_EQ(target.Selection().top, 2);
    EXPECT_EQ(target.Selection().bottom, 3);
    EXPECT_EQ(target.Cell(1, 1), "keep");
    EXPECT_EQ(target.Cell(2, 0), "keep0");
    EXPECT_EQ(target.Cell(2, 1), "a2");
    EXPECT_EQ(target.Cell(3, 2), "b3");
    EXPECT_EQ(target.Cell(4, 1), "");
}

TEST(TextGrid, UsedRowsIgnoreTheNumberColumnAndBlanks) {
    TextGrid grid(6, 3);
    for (int row = 0; row < 6; ++row) grid.SetCell(row, 0, std::to_string(row));
    EXPECT_EQ(LastUsedGridRow(grid), 0);

    grid.SetCell(2, 2, "x");
    grid.SetCell(4, 1, "   ");
    EXPECT_EQ(LastUsedGridRow(grid), 2);
    EXPECT_TRUE(GridRowUsed(grid, 2));
    EXPECT_FALSE(GridRowUsed(grid, 3));
    EXPECT_FALSE(GridRowUsed(grid, 4));
    EXPECT_FALSE(GridRowUsed(grid, 6));

    grid.SetCell(5, 1, "1,000");
    EXPECT_EQ(LastUsedGridRow(grid), 5);
}

// A number cell's text is made when first read; whatever reads it, in this grid, in a copy,
// or after the cell was overwritten, must see exactly what writing it at once would give.
TEST(TextGrid, NumberCellsReadAsTheirTextWrittenAtOnce) {
    struct Case {
        Fixed4 value;
        NumberForm form;
        std::string text;
    };
    const Case cases[] = {
        {Fixed4::FromRaw(12345), NumberForm::Plain(), "1.2345"},
        {Fixed4::FromRaw(-5000), NumberForm::Plain(), "-0.5"},
        {Fixed4::FromInt(1234567), NumberForm::Display(12, 0, true), "   1,234,567"},
        {Fixed4::FromRaw(15), NumberForm::Display(6, 3, false), "0.002"},  // rounded up
        {Fixed4::FromInt(0), NumberForm::Display(4, 0, true), "   0"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.form.kind == NumberForm::Kind::Plain
                      ? Fixed4ToText(c.value)
                      : DisplayNumber(c.value, c.form.width, c.form.decimals, c.form.grouped),
                  c.text);
        TextGrid grid(2, 2);
        grid.SetNumberCell(1, 1, TextToFixed4(c.text), c.value, c.form);
        const TextGrid copy = grid;  // copied before the text was made
        EXPECT_EQ(grid.Cell(1, 1), c.text);
        EXPECT_EQ(copy.Cell(1, 1), c.text);
        EXPECT_EQ(grid.NumberAt(1, 1), TextToFixed4(c.text));
        EXPECT_EQ(grid.KnownNumber(1, 1), TextToFixed4(c.text));

        grid.SetNumberCell(1, 1, c.value, c.value, c.form);
        grid.SetCell(1, 1, "typed");  // a later write wins over a text not yet made
        EXPECT_EQ(grid.Cell(1, 1), "typed");
        EXPECT_EQ(grid.KnownNumber(1, 1), std::nullopt);

        grid.SetNumberCell(1, 1, c.value, c.value, c.form);
        const auto before = grid.Version();
        grid.ClearCell(1, 1);
        EXPECT_EQ(grid.Cell(1, 1), "");
        EXPECT_GT(grid.Version(), before);
        grid.ClearCell(1, 1);  // already empty: not a change
        EXPECT_EQ(grid.Version(), before + 1);
        EXPECT_EQ(grid.NumberAt(1, 1), Fixed4{});
    }
}

TEST(TextGrid, CellsOutsideTheGridReadEmptyAndIgnoreWrites) {
    TextGrid grid(2, 2);
    grid.SetCell(2, 0, "x");
    grid.SetCell(0, -1, "x");
    grid.SetCell(1, 1, "in");
    EXPECT_EQ(grid.Cell(2, 0), "");
    EXPECT_EQ(grid.Cell(-1, 0), "");
    EXPECT_EQ(grid.Cell(1, 2), "");
    EXPECT_EQ(grid.Cell(1, 1), "in");
    grid.ClearRow(1);
    EXPECT_EQ(grid.Cell(1, 1), "");
}

}  // namespace
}  // namespace quilto
