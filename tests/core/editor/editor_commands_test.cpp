// Page markers and status texts, the special-line commands with the discount dialog, and
// the grid line operations.

#include <gtest/gtest.h>

#include "core/editor/grid_operations.h"
#include "core/editor/line_commands.h"
#include "core/editor/page_layout.h"
#include "support/scripted_questions.h"
#include "support/sjis.h"

namespace quilto {
namespace {

using test::ScriptedQuestions;
using test::Sjis;
using test::Utf8;

TextGrid GridOf(SheetKind sheet) {
    const SheetColumns& c = ColumnsOf(sheet);
    return TextGrid(c.rowCount, c.colCount);
}

TEST(PageLayout, RowNumbersCarryPageMarkers) {
    struct Case {
        SheetKind sheet;
        int row;
        int rowsPerPage;
        const char* text;
        int page;
    } cases[] = {
        {SheetKind::Breakdown, 1, 20, "  1*", 1},  {SheetKind::Breakdown, 20, 20, " 20 ", 1},
        {SheetKind::Breakdown, 21, 20, " 21*", 2}, {SheetKind::Breakdown, 41, 20, " 41*", 3},
        {SheetKind::Breakdown, 45, 20, " 45 ", 3}, {SheetKind::Breakdown, 45, 0, " 45 ", 3},
        {SheetKind::Summary, 1, 20, "   1*", 1},   {SheetKind::Summary, 1000, 30, "1000 ", 34},
        {SheetKind::Detail, 16, 15, " 16*", 2},    {SheetKind::Detail, 300, 15, "300 ", 20},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(RowNumberText(k.sheet, k.row, k.rowsPerPage), k.text) << "row " << k.row;
        EXPECT_EQ(PageOfRow(k.sheet, k.row, k.rowsPerPage), k.page) << "row " << k.row;
    }
}

TEST(PageLayout, StatusTextsAndGridSetUp) {
    EXPECT_EQ(Utf8(StatusText(SheetKind::Summary, 1, 20, 0)),
              "総括書 ( 1行 1頁 /使用行数=0行 /max=1000行)");
    EXPECT_EQ(Utf8(StatusText(SheetKind::Breakdown, 5, 20, 12)),
              "内訳書 ( 5行 1頁 /使用行数=12行 /max=300行)");
    EXPECT_EQ(Utf8(StatusText(SheetKind::Detail, 45, 0, 50)),
              "明細書 ( 45行 3頁 /使用行数=50行 /max=300行)");

    TextGrid g = GridOf(SheetKind::Detail);
    g.SetCurrentRow(7);
    SetUpSheetGrid(g, SheetKind::Detail, 0);
    EXPECT_EQ(Utf8(g.Cell(0, 3)), " 商     品     名");
    EXPECT_EQ(Utf8(g.Cell(0, 12)), "  歩掛単価");
    EXPECT_EQ(g.Cell(21, 0), " 21*");
    EXPECT_EQ(g.CurrentRow(), 1);
}

TEST(LineCommands, SpecialLinesOnlyOnBlankRowsAndOncePerGrid) {
    TextGrid g = GridOf(SheetKind::Summary);
    g.SetCell(1, 3, "work");
    g.SetCurrentRow(1);
    EXPECT_FALSE(MakeSpecialLine(g, SheetKind::Summary, LineKind::Syokei)) << "occupied row";
    g.SetCurrentRow(2);
    EXPECT_TRUE(MakeSpecialLine(g, SheetKind::Summary, LineKind::Nakakei));
    EXPECT_EQ(g.Cell(2, 1), "/");
    g.SetCurrentRow(3);
    EXPECT_FALSE(MakeSpecialLine(g, SheetKind::Summary, LineKind::Nakakei)) << "second total";
    EXPECT_EQ(g.Cell(3, 1), "");
    EXPECT_TRUE(MakeSpecialLine(g, SheetKind::Summary, LineKind::Syokei));
    g.SetCurrentRow(4);
    EXPECT_TRUE(MakeSpecialLine(g, SheetKind::Summary, LineKind::Syokei)) << "subtotals repeat";

    TextGrid d = GridOf(SheetKind::Detail);
    d.SetCurrentRow(1);
    EXPECT_FALSE(MakeSpecialLine(d, SheetKind::Detail, LineKind::Zei));
    EXPECT_FALSE(MakeSpecialLine(d, SheetKind::Detail, LineKind::Goukei));
    EXPECT_TRUE(MakeSpecialLine(d, SheetKind::Detail, LineKind::Nakakei));

    EXPECT_EQ(NextRowAfterCommand(g, 5), 6);
    EXPECT_EQ(NextRowAfterCommand(g, 999), 999) << "not below the second-to-last row";
}

TEST(LineCommands, DiscountAsksUntilAnswered) {
    TextGrid g = GridOf(SheetKind::Breakdown);
    g.SetCurrentRow(2);
    EXPECT_FALSE(PrepareDiscountLine(g, SheetKind::Breakdown, "")) << "needs a number";
    ASSERT_TRUE(PrepareDiscountLine(g, SheetKind::Breakdown, "000001"));
    EXPECT_EQ(g.Cell(2, 1), "-");

    ScriptedQuestions q;
    q.ExpectText("値引額を入力してください。", "123456789", "値引入力")
        .ExpectInform("桁数が大きすぎます ！！")
        .ExpectText("値引額を入力してください。", "1.5")
        .ExpectInform("数字ではありません ！！")
        .ExpectText("値引額を入力してください。", "-5")
        .ExpectInform("数字ではありません ！！")
        .ExpectText("値引額を入力してください。", "５")
        .ExpectInform("数字ではありません ！！")
        .ExpectText("値引額を入力してください。", "2,50")
        .ExpectInform("数字ではありません ！！")
        .ExpectText("値引額を入力してください。", "33,000");  // as the program shows amounts
    EXPECT_TRUE(AskDiscountAmount(g, SheetKind::Breakdown, q));
    q.Done();
    EXPECT_EQ(g.Cell(2, 6), "33000");
    for (const auto& [typed, read] : {std::pair{"1,234,567", "1234567"},
                                      {"12,34", "12,34"},
                                      {",123", ",123"},
                                      {"1234,567", "1234,567"},
                                      {"500", "500"}})
        EXPECT_EQ(WithoutThousandsSeparators(typed), read) << typed;

    // An existing discount line reopens the dialog with its amount; Cancel keeps it.
    g.SetCell(2, 6, "    2,500");
    ASSERT_TRUE(PrepareDiscountLine(g, SheetKind::Breakdown, "000001"));
    q.ExpectText("値引額を入力してください。", std::nullopt);
    EXPECT_FALSE(AskDiscountAmount(g, SheetKind::Breakdown, q));
    q.Done();
    EXPECT_EQ(q.History().back().initial, "2500");
    EXPECT_EQ(g.Cell(2, 6), "    2,500");

    // The detail sheet turns any row into a discount, name emptied.
    TextGrid d = GridOf(SheetKind::Detail);
    d.SetCurrentRow(1);
    d.SetCell(1, 3, "pipe");
    EXPECT_TRUE(PrepareDiscountLine(d, SheetKind::Detail, ""));
    EXPECT_EQ(d.Cell(1, 1), "-");
    EXPECT_EQ(d.Cell(1, 3), "");
}

TEST(GridOperations, InsertDeleteAndTheirRefusals) {
    TextGrid g = GridOf(SheetKind::Summary);
    g.SetCell(1, 3, "a");
    g.SetCell(2, 3, "b");
    g.SetCurrentRow(1);
    ASSERT_TRUE(InsertLine(g));
    EXPECT_EQ(g.Cell(1, 3), "");
    EXPECT_EQ(g.Cell(2, 3), "a");
    EXPECT_EQ(g.Cell(3, 3), "b");
    ASSERT_TRUE(DeleteLine(g));
    EXPECT_EQ(g.Cell(1, 3), "a");
    EXPECT_EQ(g.Cell(2, 3), "b");

    g.SetCell(1000, 10, "last row in use");
    EXPECT_FALSE(InsertLine(g));
    EXPECT_EQ(g.Cell(1, 3), "a");
}

TEST(GridOperations, CopyPasteDuplicateAndHideRemarks) {
    LineClipboard clipboard;
    TextGrid s = GridOf(SheetKind::Summary);
    s.SetCurrentRow(1);
    EXPECT_FALSE(clipboard.Paste(s, SheetKind::Summary, false)) << "nothing copied yet";
    s.SetCell(1, 1, "*");
    s.SetCell(1, 3, "item");
    s.SetCell(1, 10, "note");
    clipboard.Copy(s);
    s.SetCurrentRow(5);
    EXPECT_FALSE(clipboard.Paste(s, SheetKind::Summary, true)) << "not while editing";
    ASSERT_TRUE(clipboard.Paste(s, SheetKind::Summary, false));
    EXPECT_EQ(s.Cell(5, 3), "item");
    EXPECT_EQ(s.Cell(5, 10), "note");

    TextGrid b = GridOf(SheetKind::Breakdown);
    b.SetCurrentRow(1);
    EXPECT_FALSE(clipboard.Paste(b, SheetKind::Breakdown, false));
    EXPECT_EQ(b.Cell(1, 3), "");

    s.SetCurrentRow(6);
    EXPECT_EQ(DuplicateLineAbove(s, SheetKind::Summary, false), 7);
    EXPECT_EQ(s.Cell(6, 3), "item");
    s.SetCurrentRow(1);
    EXPECT_EQ(DuplicateLineAbove(s, SheetKind::Summary, false), 2) << "row 1 only moves on";
    b.SetCell(1, 3, "x");
    b.SetCurrentRow(2);
    EXPECT_EQ(DuplicateLineAbove(b, SheetKind::Breakdown, false), 3);
    EXPECT_EQ(b.Cell(2, 3), "") << "never in the breakdown";

    s.SetCell(6, 10, "abc");
    HideRemarks(s, SheetKind::Summary, 6);
    HideRemarks(s, SheetKind::Summary, 6);
    EXPECT_EQ(s.Cell(6, 10), "////abc");
    s.SetCell(6, 10, Sjis("日本語日本語日本語日本語日本"));  // 26 bytes
    HideRemarks(s, SheetKind::Summary, 6);
    EXPECT_EQ(Utf8(s.Cell(6, 10)), "//日本語日本語日本語日本語日") << "cut to 28 bytes";
}

}  // namespace
}  // namespace quilto
