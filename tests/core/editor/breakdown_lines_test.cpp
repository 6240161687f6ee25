#include "core/editor/breakdown_lines.h"

#include <gtest/gtest.h>

#include "core/editor/estimate_calculator.h"
#include "core/foundation/text_bytes.h"

namespace quilto {
namespace {

// Breakdown line `row` named `name` with one detail line of amount `amount`.
void LineWithDetail(EstimateDocument& d, int row, const char* name, const char* amount) {
    d.Grid(SheetKind::Breakdown).SetCell(row, 3, name);
    d.LoadDetailSheet(row);
    d.Grid(SheetKind::Detail).SetCell(1, 3, name);
    d.Grid(SheetKind::Detail).SetCell(1, 8, amount);
    d.StoreDetailSheet();
}

TEST(BreakdownLines, DetailSheetsMoveWithTheirLines) {
    EstimateCalculator calculator;
    EstimateDocument d;
    d.SetCalculations(&calculator);
    LineWithDetail(d, 1, "first", "100");
    LineWithDetail(d, 2, "second", "200");
    TextGrid& grid = d.Grid(SheetKind::Breakdown);

    grid.SetCurrentRow(2);
    ASSERT_TRUE(InsertBreakdownLine(d));
    EXPECT_EQ(grid.Cell(2, 3), "");
    EXPECT_EQ(grid.Cell(3, 3), "second");
    EXPECT_FALSE(d.Stores().details.HasSheet(2) && d.Stores().details.Line(2, 1).Name() != "")
        << "the inserted line has an empty sheet";
    EXPECT_EQ(d.Stores().details.Line(3, 1).Name(), "second");
    EXPECT_EQ(d.Stores().breakdown[3].Amount(), Fixed4::FromInt(200));
    EXPECT_EQ(d.Stores().breakdown[2].Amount(), Fixed4{});

    grid.SetCurrentRow(1);
    ASSERT_TRUE(DeleteBreakdownLine(d));
    EXPECT_EQ(grid.Cell(1, 3), "");
    EXPECT_EQ(grid.Cell(2, 3), "second");
    EXPECT_EQ(d.Stores().details.Line(2, 1).Name(), "second");
    EXPECT_EQ(d.Stores().details.Line(1, 1).Name(), "") << "the deleted line's sheet is gone";
    EXPECT_EQ(d.Stores().breakdown[2].Amount(), Fixed4::FromInt(200));

    LineWithDetail(d, kBreakdownLines, "last", "1");
    grid.SetCurrentRow(1);
    EXPECT_FALSE(InsertBreakdownLine(d)) << "the last row holds data";
    EXPECT_EQ(d.Stores().details.Line(2, 1).Name(), "second");
    d.SetCalculations(nullptr);
}

}  // namespace
}  // namespace quilto

namespace quilto {
namespace {

TEST(BreakdownLines, SpecialLinesOwnNoDetailSheet) {
    EstimateDocument d;
    d.Grid(SheetKind::Breakdown).SetCell(3, 1, "=");
    d.Stores().details.MutableLine(3, 1).SetName("stray");
    d.LoadDetailSheet(3);
    EXPECT_EQ(d.DetailSheetRow(), 0);
    EXPECT_EQ(d.Grid(SheetKind::Detail).Cell(1, 3), "");
    d.StoreDetailSheet();
    EXPECT_EQ(d.Stores().details.Line(3, 1).Name(), "stray") << "nothing was stored over it";
}

}  // namespace
}  // namespace quilto
