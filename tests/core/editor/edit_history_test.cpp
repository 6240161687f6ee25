// The undo and redo history of an open estimate, judged by what a save would write: every
// step undone gives the stored file of before the step, byte for byte, and redone the one
// after it.

#include "core/editor/edit_history.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/editor/breakdown_lines.h"
#include "core/editor/estimate_calculator.h"
#include "core/editor/estimate_io.h"
#include "core/editor/grid_operations.h"
#include "core/editor/line_commands.h"
#include "core/editor/unit_price_multiplier.h"
#include "support/scripted_questions.h"
#include "support/sjis.h"

namespace quilto {
namespace {

using test::ScriptedQuestions;
using test::Sjis;

class EditHistoryTest : public ::testing::Test {
  protected:
    void SetUp() override { Fresh(); }
    void Fresh() {
        d = EstimateDocument();
        d.SetCalculations(&calculator);
        d.SetText(HeaderText::MNo, "000007");
        d.SetText(HeaderText::MName1, "customer");
        d.SetText(HeaderText::MTitle1, "title");
        d.SetTaxRateText("10");
        TextGrid& summary = d.Grid(SheetKind::Summary);
        summary.SetCell(1, 3, "walls");
        summary.SetCell(1, 5, "2");
        summary.SetCell(1, 6, "1000");
        summary.SetCell(2, 3, "floor");
        summary.SetCell(2, 5, "3");
        summary.SetCell(2, 6, "500");
        summary.SetCell(2, 10, "remarks");
        Line(1, "roof", "shingles", "4", "2500");
        Line(2, "gutter", "pipe", "10", "300");
        d.Grid(SheetKind::Breakdown).SetCell(3, 3, "typed only");
        d.Grid(SheetKind::Breakdown).SetCell(3, 6, "7000");
        calculator.RecalculateAll(d);
        history.Reset(d);
    }
    void TearDown() override { questions.Done(); }

    // Breakdown line `row` with one detail line of quantity x unit price.
    void Line(int row, const char* name, const char* product, const char* quantity,
              const char* price) {
        d.Grid(SheetKind::Breakdown).SetCell(row, 3, name);
        d.LoadDetailSheet(row);
        TextGrid& detail = d.Grid(SheetKind::Detail);
        detail.SetCell(1, 3, product);
        detail.SetCell(1, 6, quantity);
        detail.SetCell(1, 7, price);
        d.StoreDetailSheet();
    }

    std::string Stored() { return EstimateFileBytes(d); }

    bool Record(const char* name, std::string mergeKey = {}) {
        return history.Record(d, EditStep{name, {}, std::move(mergeKey), false});
    }

    EstimateCalculator calculator;
    EstimateDocument d;
    EditHistory history;
    ScriptedQuestions questions;
    UnitPriceMultiplier multiplier;
};

// Each edit a user can make, undone and redone: the stored file before and after it
// comes back exactly, and the figures recalculated afterwards are the same.
TEST_F(EditHistoryTest, EveryKindOfChangeIsUndoneAndRedoneExactly) {
    struct Case {
        const char* name;
        std::function<void(EstimateDocument&)> edit;
    } cases[] = {
        {"summary cell",
         [](EstimateDocument& e) { e.Grid(SheetKind::Summary).SetCell(1, 5, "9"); }},
        {"cover field",
         [](EstimateDocument& e) { e.SetText(HeaderText::MBasyo1, Sjis("東京都")); }},
        {"tax rate and check box",
         [](EstimateDocument& e) {
             e.SetTaxRateText("8");
             e.SetCheckBox1(true);
         }},
        {"breakdown line inserted above lines with details",
         [](EstimateDocument& e) {
             e.Grid(SheetKind::Breakdown).SetCurrentRow(1);
             InsertBreakdownLine(e);
         }},
        {"breakdown line with details deleted",
         [](EstimateDocument& e) {
             e.Grid(SheetKind::Breakdown).SetCurrentRow(1);
             DeleteBreakdownLine(e);
         }},
        {"summary line inserted",
         [](EstimateDocument& e) {
             e.Grid(SheetKind::Summary).SetCurrentRow(1);
             InsertLine(e.Grid(SheetKind::Summary));
         }},
        {"summary line duplicated",
         [](EstimateDocument& e) {
             e.Grid(SheetKind::Summary).SetCurrentRow(3);
             DuplicateLineAbove(e.Grid(SheetKind::Summary), SheetKind::Summary, false);
         }},
        {"subtotal line",
         [](EstimateDocument& e) {
             e.Grid(SheetKind::Summary).SetCurrentRow(3);
             MakeSpecialLine(e.Grid(SheetKind::Summary), SheetKind::Summary, LineKind::Syokei);
         }},
        {"remarks hidden",
         [](EstimateDocument& e) {
             HideRemarks(e.Grid(SheetKind::Summary), SheetKind::Summary, 2);
         }},
        {"detail sheet edited on screen",
         [](EstimateDocument& e) {
             e.LoadDetailSheet(2);
             e.Grid(SheetKind::Detail).SetCell(1, 6, "12");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        const std::string before = Stored();
        c.edit(d);
        calculator.RecalculateAll(d);
        ASSERT_TRUE(Record(c.name));
        const std::string after = Stored();
        ASSERT_NE(before, after);

        ASSERT_TRUE(history.Undo(d));
        EXPECT_EQ(Stored(), before);
        calculator.RecalculateAll(d);
        EXPECT_EQ(Stored(), before) << "recalculated after the undo";
        ASSERT_TRUE(history.Redo(d));
        calculator.RecalculateAll(d);
        EXPECT_EQ(Stored(), after);
        d.DropDetailSheet();
    }
}

// An edit on the detail sheet, then leaving it (the sheet goes back to the store and the
// grid is emptied) and another edit: undoing both takes the store back to before the first,
// so the sheet shown again is the old one.
TEST_F(EditHistoryTest, DetailSheetLeftBetweenStepsComesBackAsItWas) {
    const std::string start = Stored();
    d.LoadDetailSheet(1);
    d.Grid(SheetKind::Detail).SetCell(1, 6, "5");
    ASSERT_TRUE(Record("detail"));
    const std::string afterDetail = Stored();
    d.StoreDetailSheet();
    d.DropDetailSheet();
    d.Grid(SheetKind::Breakdown).SetCell(5, 3, "new line");
    ASSERT_TRUE(Record("breakdown"));

    ASSERT_TRUE(history.Undo(d));
    EXPECT_EQ(Stored(), afterDetail);
    ASSERT_TRUE(history.Undo(d));
    EXPECT_EQ(Stored(), start);
    d.LoadDetailSheet(1);
    EXPECT_EQ(d.Grid(SheetKind::Detail).NumberAt(1, 6), Fixed4::FromInt(4));
}

TEST_F(EditHistoryTest, TypingInOneCellIsOneStep) {
    const std::string start = Stored();
    TextGrid& summary = d.Grid(SheetKind::Summary);
    for (const char* text : {"1", "12", "123"}) {
        summary.SetCell(3, 3, text);
        ASSERT_TRUE(Record("入力", "summary 3 3"));
    }
    summary.SetCell(4, 3, "x");  // another cell: a step of its own
    ASSERT_TRUE(Record("入力", "summary 4 3"));
    summary.SetCell(3, 3, "1234");  // back in the first cell, after another step
    ASSERT_TRUE(Record("入力", "summary 3 3"));
    EXPECT_EQ(history.StepCount(), 3u);

    ASSERT_TRUE(history.Undo(d));
    EXPECT_EQ(summary.Cell(3, 3), "123");
    ASSERT_TRUE(history.Undo(d));
    ASSERT_TRUE(history.Undo(d));
    EXPECT_EQ(Stored(), start);
    EXPECT_FALSE(history.CanUndo());

    // Typed and typed away again leaves no step at all.
    summary.SetCell(5, 3, "a");
    ASSERT_TRUE(Record("入力", "summary 5 3"));
    summary.SetCell(5, 3, "");
    Record("入力", "summary 5 3");
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.CanRedo()) << "the new edits dropped the undone steps";
}

TEST_F(EditHistoryTest, KeepsTheLatestStepsUpToItsLimit) {
    EXPECT_GE(EditHistory::kDefaultLimit, 200);
    EditHistory small(3);
    small.Reset(d);
    std::vector<std::string> states{Stored()};
    for (int i = 1; i <= 5; ++i) {
        d.Grid(SheetKind::Summary).SetCell(10 + i, 3, "line");
        ASSERT_TRUE(small.Record(d, EditStep{"step", {}, {}, false}));
        states.push_back(Stored());
    }
    EXPECT_EQ(small.StepCount(), 3u);
    for (int i = 4; i >= 2; --i) {
        ASSERT_TRUE(small.Undo(d));
        EXPECT_EQ(Stored(), states[static_cast<std::size_t>(i)]);
    }
    EXPECT_FALSE(small.Undo(d)) << "the oldest steps are gone";
    EXPECT_TRUE(small.Modified()) << "the saved state can no longer be reached";
}

TEST_F(EditHistoryTest, TheSavedPointIsCleanWhicheverWayItIsReached) {
    EXPECT_FALSE(history.Modified());
    d.Grid(SheetKind::Summary).SetCell(3, 3, "a");
    Record("a", "cell");
    EXPECT_TRUE(history.Modified());
    history.MarkClean();  // saved
    EXPECT_FALSE(history.Modified());
    d.Grid(SheetKind::Summary).SetCell(3, 3, "ab");
    Record("b", "cell");
    EXPECT_EQ(history.StepCount(), 2u) << "typing after a save is a step of its own";
    EXPECT_TRUE(history.Modified());
    history.Undo(d);
    EXPECT_FALSE(history.Modified());
    history.Undo(d);
    EXPECT_TRUE(history.Modified());
    history.Redo(d);
    EXPECT_FALSE(history.Modified());

    // A new edit after undoing past the saved point makes that point unreachable.
    history.Undo(d);
    d.Grid(SheetKind::Summary).SetCell(3, 3, "a");
    Record("again");
    EXPECT_TRUE(history.Modified());

    // A recovered estimate starts changed.
    history.Reset(d, true);
    EXPECT_TRUE(history.Modified());
}

TEST_F(EditHistoryTest, ReadOnlyKeepsNoHistory) {
    history.SetEnabled(false);
    d.Grid(SheetKind::Summary).SetCell(3, 3, "a");
    EXPECT_FALSE(Record("a"));
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.Undo(d));
    EXPECT_EQ(d.Grid(SheetKind::Summary).Cell(3, 3), "a");
}

// The multiplier keeps its own one-step undo; both it and the application are steps of the
// history, so Ctrl+Z takes back the multiplier's own undo and then the multiplier.
TEST_F(EditHistoryTest, MultiplierAndItsOwnUndoAreStepsOfTheHistory) {
    const std::string start = Stored();
    questions.ExpectText("掛率を入力して下さい。(1-200%)", "110")
        .ExpectOkCancel("単価掛率計算を行います。( 掛率: 110% )", true);
    ASSERT_TRUE(multiplier.ApplyToBreakdown(d, calculator, questions));
    ASSERT_TRUE(history.Record(d, EditStep{"掛け率設定", {}, {}, true}));
    const std::string multiplied = Stored();
    ASSERT_NE(multiplied, start);

    questions.ExpectOkCancel("単価処理を元に戻します。", true);
    ASSERT_TRUE(multiplier.UndoBreakdown(d, calculator, questions));
    ASSERT_TRUE(history.Record(d, EditStep{"設定前に戻す", {}, {}, true}));
    EXPECT_EQ(Stored(), start);

    const auto undone = history.Undo(d);
    ASSERT_TRUE(undone);
    EXPECT_TRUE(undone->multiplier);
    EXPECT_EQ(Stored(), multiplied);
    ASSERT_TRUE(history.Undo(d));
    EXPECT_EQ(Stored(), start);
    calculator.RecalculateAll(d);
    EXPECT_EQ(Stored(), start);
    EXPECT_EQ(history.RedoName(), "掛け率設定");
}

}  // namespace
}  // namespace quilto
