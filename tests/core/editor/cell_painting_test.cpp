// What the editor's grids draw for a cell, and a detail row filled from the product master.

#include "core/editor/cell_painting.h"

#include <gtest/gtest.h>

#include "core/editor/product_fill.h"
#include "core/foundation/text_bytes.h"
#include "core/masters/master_lines.h"
#include "support/sjis.h"

namespace quilto {
namespace {

using test::Sjis;

TextGrid GridOf(SheetKind sheet) {
    return TextGrid(ColumnsOf(sheet).rowCount, ColumnsOf(sheet).colCount);
}

void Row(TextGrid& grid, int row, const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) grid.SetCell(row, int(i) + 1, cells[i]);
}

TEST(CellPainting, NumbersInDisplayFormAndBlankWhereAZeroSaysNothing) {
    TextGrid summary = GridOf(SheetKind::Summary);
    Row(summary, 1, {"", "", "named", "", "2.5", "1000", "2500", "", ""});
    Row(summary, 2, {"=", "", "sub", "", "", "", "0"});
    Row(summary, 3, {"", "", "", "", "", "", "0"});
    TextGrid breakdown = GridOf(SheetKind::Breakdown);
    Row(breakdown, 1, {"-", "", "disc", "", "", "500", "0"});
    Row(breakdown, 2, {"", "", "", "", "0", "0"});
    Row(breakdown, 3, {"", "", "named", "", "3", "1234567", "0"});
    TextGrid detail = GridOf(SheetKind::Detail);
    Row(detail, 1, {"000001", "", "pipe", "", "m", "0", "0", "0"});

    struct Case {
        const TextGrid& grid;
        SheetKind sheet;
        int row, col;
        PaintSettings settings;
        const char* painted;
    };
    const PaintSettings plain{1, false};
    const Case cases[] = {
        {summary, SheetKind::Summary, 1, 5, plain, "2.5"},
        {summary, SheetKind::Summary, 1, 5, {2, false}, "2.50"},
        {summary, SheetKind::Summary, 1, 7, plain, "2,500"},
        {summary, SheetKind::Summary, 1, 9, plain, "0"},  // a named ordinary line shows its 0
        {summary, SheetKind::Summary, 2, 7, plain, ""},   // special line: no 0
        {summary, SheetKind::Summary, 3, 7, plain, ""},   // nameless line: no 0
        {breakdown, SheetKind::Breakdown, 1, 6, plain, "500"},
        {breakdown, SheetKind::Breakdown, 1, 6, {1, true}, "-500"},
        {breakdown, SheetKind::Breakdown, 1, 7, {1, true}, ""},  // special line: no 0, no sign
        {breakdown, SheetKind::Breakdown, 2, 5, plain, ""},
        {breakdown, SheetKind::Breakdown, 2, 6, plain, ""},
        {breakdown, SheetKind::Breakdown, 3, 5, plain, "3"},
        {breakdown, SheetKind::Breakdown, 3, 6, plain, "1,234,567"},
        {breakdown, SheetKind::Breakdown, 3, 3, plain, "named"},  // text as stored
        {detail, SheetKind::Detail, 1, 6, plain, ""},
        {detail, SheetKind::Detail, 1, 7, plain, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Trimmed(PaintedCellText(c.grid, c.sheet, c.row, c.col, c.settings)), c.painted)
            << "row " << c.row << " col " << c.col;
    }
    EXPECT_EQ(breakdown.Cell(1, 6), "500") << "the sign is only drawn";
}

TEST(CellPainting, RedOnlyBelowCostAndAquaOnPageRows) {
    TextGrid summary = GridOf(SheetKind::Summary);
    Row(summary, 1, {"", "", "a", "", "", "", "900", "", "1,000"});
    Row(summary, 2, {"", "", "b", "", "", "", "1,000", "", "1,000"});
    EXPECT_TRUE(IsBelowCost(summary, SheetKind::Summary, 1));
    EXPECT_FALSE(IsBelowCost(summary, SheetKind::Summary, 2));
    EXPECT_FALSE(IsBelowCost(summary, SheetKind::Summary, 3));
    summary.SetCell(21, 0, "  21*");
    summary.SetCell(22, 0, "  22 ");
    EXPECT_TRUE(IsPageRow(summary, 21));
    EXPECT_FALSE(IsPageRow(summary, 22));
}

TEST(ProductFill, CopiesTheProductOrEmptiesCodeAndNameWhenUnknown) {
    MasterLists masters;
    PutProduct(masters,
               {"001", "000007", Sjis("単管パイプ"), "48.6", "m", "800", "1200", Sjis("足場用")});
    TextGrid detail = GridOf(SheetKind::Detail);
    Row(detail, 1, {"x", "9", "old", "", "", "5", "", "7", "", "", "", "1.5"});
    CalculationSettings settings;
    ASSERT_TRUE(FillDetailRowFromProduct(detail, 1, masters, "001", "000007", settings));
    EXPECT_EQ(Trimmed(detail.Cell(1, 1)), "000007");
    EXPECT_EQ(Trimmed(detail.Cell(1, 3)), Sjis("単管パイプ"));
    EXPECT_EQ(Trimmed(detail.Cell(1, 4)), "48.6");
    EXPECT_EQ(Trimmed(detail.Cell(1, 5)), "m");
    EXPECT_EQ(Trimmed(detail.Cell(1, 7)), "1,200");
    EXPECT_EQ(Trimmed(detail.Cell(1, 9)), "800");
    EXPECT_EQ(Trimmed(detail.Cell(1, 11)), Sjis("足場用"));
    EXPECT_EQ(Trimmed(detail.Cell(1, 6)), "") << "quantity emptied";
    EXPECT_EQ(Trimmed(detail.Cell(1, 2)), "9") << "the line number stays";

    Row(detail, 2, {"000099", "", "kept?", "spec", "m"});
    EXPECT_FALSE(FillDetailRowFromProduct(detail, 2, masters, "001", "000099", settings));
    EXPECT_EQ(detail.Cell(2, 1), "");
    EXPECT_EQ(detail.Cell(2, 3), "");
    EXPECT_EQ(detail.Cell(2, 4), "spec") << "only code and name are emptied";
    EXPECT_FALSE(FillDetailRowFromProduct(detail, 1, masters, "002", "000007", settings))
        << "the code belongs to another construction code";
}

}  // namespace
}  // namespace quilto
