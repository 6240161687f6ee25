// The calculations working on a whole estimate: detail totals flowing into their breakdown
// line, the header figures from the sheet CheckBox1 selects, and the unit-price multiplier.

#include "core/editor/estimate_calculator.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "core/editor/breakdown_lines.h"
#include "core/editor/grid_operations.h"
#include "core/editor/unit_price_multiplier.h"
#include "core/foundation/text_bytes.h"
#include "support/scripted_questions.h"
#include "support/sjis.h"

namespace quilto {
namespace {

using test::ScriptedQuestions;
using test::Utf8;

struct OpenEstimate {
    OpenEstimate() {
        CalculationSettings s;
        s.subtotalCaption = "SUB";
        s.totalCaption = "TOTAL";
        s.taxCaption = "TAX";
        s.grandTotalCaption = "GRAND";
        s.discountCaption = "DISC";
        calculator.SetSettings(s);
        document.SetCalculations(&calculator);
        document.SetTaxRateText("10");
        document.SetText(HeaderText::MNo, "000001");
    }
    ~OpenEstimate() { document.SetCalculations(nullptr); }

    void Row(SheetKind sheet, int row, std::vector<std::string> cells) {
        for (std::size_t i = 0; i < cells.size(); ++i)
            document.Grid(sheet).SetCell(row, static_cast<int>(i) + 1, cells[i]);
    }
    std::string Cell(SheetKind sheet, int row, int col) {
        return Trimmed(document.Grid(sheet).Cell(row, col));
    }

    EstimateCalculator calculator;
    EstimateDocument document;
};

TEST(EstimateCalculator, DetailTotalsBecomeTheBreakdownLine) {
    OpenEstimate e;
    e.Row(SheetKind::Breakdown, 1, {"001", "", "plumbing", "", "1"});
    e.Row(SheetKind::Breakdown, 2, {"", "", "", "", "", "9,999"});  // a typed amount
    e.document.LoadDetailSheet(1);
    e.Row(SheetKind::Detail, 1, {"000001", "", "pipe", "20A", "m", "3", "1,500", "", "1,000"});
    e.Row(SheetKind::Detail, 4, {"000002", "", "valve", "", "", "2", "250", "", "100"});
    e.document.StoreDetailSheet();

    EXPECT_EQ(e.Cell(SheetKind::Breakdown, 1, 6), "5,000");
    EXPECT_EQ(e.Cell(SheetKind::Breakdown, 1, 7), "3,200");
    const LineRecord& record = e.document.Stores().breakdown[1];
    EXPECT_EQ(record.Amount(), Fixed4::FromInt(5000));
    EXPECT_EQ(record.CostUnitPrice(), Fixed4::FromInt(3200)) << "the breakdown cost field";
    EXPECT_EQ(record.DetailCount(), 4);
    EXPECT_EQ(e.document.Stores().details.Line(1, 4).Amount(), Fixed4::FromInt(500))
        << "the store holds the calculated amount";

    // A nameless line that gets details shows "(未)".
    e.document.LoadDetailSheet(2);
    e.Row(SheetKind::Detail, 1, {"", "", "labour", "", "", "1", "800"});
    e.document.StoreDetailSheet();
    EXPECT_EQ(Utf8(e.Cell(SheetKind::Breakdown, 2, 2)), "(未)");
    EXPECT_EQ(e.Cell(SheetKind::Breakdown, 2, 6), "800") << "the typed amount is replaced";

    e.calculator.CalculateBreakdown(e.document);
    EXPECT_EQ(Trimmed(e.document.Figure(HeaderFigure::MGoukei01)), "5,800");
    EXPECT_EQ(Trimmed(e.document.Figure(HeaderFigure::MGoukei12)), "3,200");
}

TEST(EstimateCalculator, CheckBox1ChoosesTheSheetThatSuppliesTheTotals) {
    OpenEstimate e;
    e.Row(SheetKind::Breakdown, 1, {"", "", "a", "", "1", "1000"});
    e.Row(SheetKind::Summary, 1, {"", "", "b", "", "2", "3000"});
    e.calculator.CalculateSummary(e.document);
    e.calculator.CalculateBreakdown(e.document);
    EXPECT_EQ(Trimmed(e.document.Figure(HeaderFigure::MGoukei01)), "1,000");
    e.document.SetCheckBox1(true);
    e.calculator.CalculateBreakdown(e.document);
    EXPECT_EQ(Trimmed(e.document.Figure(HeaderFigure::MGoukei01)), "1,000")
        << "the breakdown no longer publishes";
    e.calculator.CalculateSelectedSheet(e.document);
    EXPECT_EQ(Trimmed(e.document.Figure(HeaderFigure::MGoukei01)), "6,000");
    EXPECT_EQ(Utf8(EstimateCalculator::TotalsSourceText(true)), "総括書で\r\n合計計算");
}

TEST(EstimateCalculator, RecalculateAllNamesWhereAFigureRanPastTheRange) {
    OpenEstimate e;
    e.Row(SheetKind::Summary, 3, {"", "", "fine", "", "1", "1,000"});
    e.Row(SheetKind::Breakdown, 1, {"", "", "fine"});
    e.Row(SheetKind::Breakdown, 2, {"", "", "huge"});
    e.document.LoadDetailSheet(2);
    e.Row(SheetKind::Detail, 4, {"000001", "", "pipe", "", "", "9999999", "999999999999"});
    e.document.StoreDetailSheet();

    const std::optional<CalculationOverflow> overflow = e.calculator.RecalculateAll(e.document);
    ASSERT_TRUE(overflow.has_value());
    EXPECT_EQ(overflow->sheet, SheetKind::Detail);
    EXPECT_EQ(overflow->breakdownRow, 2);
    EXPECT_EQ(overflow->row, 4);
    EXPECT_EQ(CalculationOverflowMessage(*overflow),
              "金額が計算できる範囲を超えています (内訳書 2 行目の明細 4 行目)。");
    EXPECT_EQ(CalculationOverflowMessage({SheetKind::Summary, 0, 7}),
              "金額が計算できる範囲を超えています (総括書 7 行目)。");

    e.document.LoadDetailSheet(2);
    e.Row(SheetKind::Detail, 4, {"000001", "", "pipe", "", "", "9999999", "99"});
    e.document.StoreDetailSheet();
    EXPECT_FALSE(e.calculator.RecalculateAll(e.document).has_value());
}

// The detail calculation is skipped only while the sheet and the settings are as they were.
TEST(EstimateCalculator, AnUnchangedSettledDetailSheetIsNotCalculatedAgain) {
    OpenEstimate e;
    e.Row(SheetKind::Breakdown, 1, {"", "", "work", "", "1"});
    e.document.LoadDetailSheet(1);
    e.Row(SheetKind::Detail, 1, {"000001", "", "pipe", "", "", "2.5", "333"});
    EXPECT_EQ(e.calculator.CalculateDetail(e.document).estimateAmount, Fixed4::FromInt(833));

    e.Row(SheetKind::Detail, 1, {"000001", "", "pipe", "", "", "2.5", "400"});
    EXPECT_EQ(e.calculator.CalculateDetail(e.document).estimateAmount, Fixed4::FromInt(1000));

    CalculationSettings truncate = e.calculator.Settings();
    truncate.amountRounding = 1;
    e.calculator.SetSettings(truncate);
    e.Row(SheetKind::Detail, 1, {"000001", "", "pipe", "", "", "2.5", "333"});
    EXPECT_EQ(e.calculator.CalculateDetail(e.document).estimateAmount, Fixed4::FromInt(833 - 1));
    truncate.amountRounding = 0;
    e.calculator.SetSettings(truncate);
    EXPECT_EQ(e.calculator.CalculateDetail(e.document).estimateAmount, Fixed4::FromInt(833));
}

TEST(UnitPriceMultiplier, SummaryApplyTwiceAndUndoOnce) {
    OpenEstimate e;
    e.Row(SheetKind::Summary, 1, {"", "", "a", "", "2", "333"});
    e.Row(SheetKind::Summary, 2, {"="});
    UnitPriceMultiplier multiplier;
    ScriptedQuestions q;
    q.ExpectText("掛率を入力して下さい。(1-200%)", "110", "総括書の単価掛率設定")
        .ExpectOkCancel("単価掛率計算を行います。( 掛率: 110% )", true);
    ASSERT_TRUE(multiplier.ApplyToSummary(e.document, e.calculator, q));
    EXPECT_EQ(e.Cell(SheetKind::Summary, 1, 7), "733") << "2 x 366.3 = 732.6, half up";
    EXPECT_EQ(e.Cell(SheetKind::Summary, 1, 6), "366");
    EXPECT_EQ(e.Cell(SheetKind::Summary, 2, 7), "733") << "the subtotal follows";

    q.ExpectText("掛率を入力して下さい。(1-200%)", "110")
        .ExpectOkCancel("単価掛率計算を行います。( 掛率: 110% )", true);
    ASSERT_TRUE(multiplier.ApplyToSummary(e.document, e.calculator, q));
    EXPECT_EQ(e.Cell(SheetKind::Summary, 1, 6), "403");
    q.ExpectOkCancel("単価処理を元に戻します。", true);
    ASSERT_TRUE(multiplier.UndoSummary(e.document, e.calculator, q));
    EXPECT_EQ(e.Cell(SheetKind::Summary, 1, 6), "366") << "one undo goes back one step";
    EXPECT_EQ(e.Cell(SheetKind::Summary, 2, 1), "=");

    q.ExpectInform("単価処理はされてません。");
    EXPECT_FALSE(multiplier.UndoSummary(e.document, e.calculator, q));
    q.Done();
}

TEST(UnitPriceMultiplier, RefusesBadRatesAndForgetsOnLeavingTheGrid) {
    OpenEstimate e;
    e.Row(SheetKind::Summary, 1, {"", "", "a", "", "2", "333"});
    UnitPriceMultiplier multiplier;
    struct Case {
        std::optional<std::string> answer;
        const char* message;  // nullptr: no message (cancelled)
    } cases[] = {{"0", "入力が正しくありません。"},
                 {"201", "入力が正しくありません。"},
                 {"1.5", "入力が正しくありません。"},
                 {"1000", "桁数エラーです。"},
                 {"", "桁数エラーです。"},
                 {std::nullopt, nullptr}};
    for (const Case& k : cases) {
        ScriptedQuestions q;
        q.ExpectText("掛率を入力して下さい。(1-200%)", k.answer);
        if (k.message) q.ExpectInform(k.message);
        EXPECT_FALSE(multiplier.ApplyToSummary(e.document, e.calculator, q));
        q.Done();
    }
    EXPECT_EQ(e.Cell(SheetKind::Summary, 1, 6), "333");

    ScriptedQuestions q;
    q.ExpectText("掛率を入力して下さい。(1-200%)", "50")
        .ExpectOkCancel("単価掛率計算を行います。( 掛率: 50% )", false);
    EXPECT_FALSE(multiplier.ApplyToSummary(e.document, e.calculator, q)) << "Cancel";
    q.ExpectText("掛率を入力して下さい。(1-200%)", "50")
        .ExpectOkCancel("単価掛率計算を行います。( 掛率: 50% )", true);
    ASSERT_TRUE(multiplier.ApplyToBreakdown(e.document, e.calculator, q));
    multiplier.Forget();
    q.ExpectInform("単価処理はされてません。");
    EXPECT_FALSE(multiplier.UndoBreakdown(e.document, e.calculator, q));
    q.Done();
}

TEST(UnitPriceMultiplier, BreakdownScalesEveryDetailSheet) {
    OpenEstimate e;
    e.Row(SheetKind::Breakdown, 1, {"001", "", "plumbing"});
    e.Row(SheetKind::Breakdown, 2, {"", "", "typed only", "", "", "5000"});
    e.Row(SheetKind::Breakdown, 3, {"="});
    e.document.LoadDetailSheet(1);
    e.Row(SheetKind::Detail, 1, {"000001", "", "pipe", "", "m", "2", "333"});
    e.Row(SheetKind::Detail, 2, {"-", "", "", "", "", "", "", "100"});
    e.document.StoreDetailSheet();
    ASSERT_EQ(e.Cell(SheetKind::Breakdown, 1, 6), "566");

    UnitPriceMultiplier multiplier;
    ScriptedQuestions q;
    q.ExpectText("掛率を入力して下さい。(1-200%)", "110", "単価掛率設定")
        .ExpectOkCancel("単価掛率計算を行います。( 掛率: 110% )", true);
    ASSERT_TRUE(multiplier.ApplyToBreakdown(e.document, e.calculator, q));
    // 333 x 110 % = 366.3; the sheet is calculated when it is loaded, which shows the price
    // in whole units, and again before it is stored: 2 x 366 less the discount of 100.
    EXPECT_EQ(e.Cell(SheetKind::Breakdown, 1, 6), "632");
    EXPECT_EQ(e.Cell(SheetKind::Breakdown, 2, 6), "5,000")
        << "a line without details keeps its typed amount";
    EXPECT_EQ(e.Cell(SheetKind::Breakdown, 3, 6), "5,632");
    EXPECT_EQ(e.document.Stores().details.Line(1, 2).Amount(), Fixed4::FromInt(100))
        << "the discount line keeps its value";

    q.ExpectOkCancel("単価処理を元に戻します。", true);
    ASSERT_TRUE(multiplier.UndoBreakdown(e.document, e.calculator, q));
    EXPECT_EQ(e.Cell(SheetKind::Breakdown, 1, 6), "566");
    q.Done();
}

// An amount and cost typed on a line without detail lines stay when its empty sheet is
// looked at and left; a sheet whose lines are all deleted hands over its zero totals, since
// the figures came from it.
TEST(EstimateCalculator, AnEmptyDetailSheetNeverReplacesATypedAmount) {
    OpenEstimate e;
    e.Row(SheetKind::Breakdown, 1, {"", "", "既存ブロック撤去", "式", "1", "50,000", "30,000"});
    e.Row(SheetKind::Breakdown, 2, {"", "", "plumbing", "", "1"});
    e.document.LoadDetailSheet(1);
    e.document.StoreDetailSheet();
    EXPECT_EQ(e.Cell(SheetKind::Breakdown, 1, 6), "50,000");
    EXPECT_EQ(e.Cell(SheetKind::Breakdown, 1, 7), "30,000");
    EXPECT_EQ(e.document.Stores().breakdown[1].Amount(), Fixed4::FromInt(0))
        << "the record is written from the grid at the save, not by the visit";

    e.document.LoadDetailSheet(2);
    e.Row(SheetKind::Detail, 1, {"000001", "", "pipe", "", "m", "2", "300"});
    e.document.StoreDetailSheet();
    EXPECT_EQ(e.Cell(SheetKind::Breakdown, 2, 6), "600");
    e.document.LoadDetailSheet(2);
    e.Row(SheetKind::Detail, 1, std::vector<std::string>(13, ""));
    e.document.StoreDetailSheet();
    EXPECT_EQ(e.Cell(SheetKind::Breakdown, 2, 6), "0");

    e.calculator.RecalculateAll(e.document);
    EXPECT_EQ(e.Cell(SheetKind::Breakdown, 1, 6), "50,000");
}

// The saved prices belong to rows by number: after a row moved or was replaced, an undo
// would put them on other lines, so it is refused instead and every price stays.
TEST(UnitPriceMultiplier, NoUndoOnceARowWasInsertedDeletedPastedOrDuplicated) {
    struct Case {
        const char* operation;
        SheetKind sheet;
        std::function<void(EstimateDocument&)> change;
    };
    const std::vector<Case> cases = {
        {"insert", SheetKind::Summary,
         [](EstimateDocument& d) {
             d.Grid(SheetKind::Summary).SetCurrentRow(1);
             InsertLine(d.Grid(SheetKind::Summary));
         }},
        {"delete", SheetKind::Summary,
         [](EstimateDocument& d) {
             d.Grid(SheetKind::Summary).SetCurrentRow(1);
             DeleteLine(d.Grid(SheetKind::Summary));
         }},
        {"paste", SheetKind::Summary,
         [](EstimateDocument& d) {
             TextGrid& g = d.Grid(SheetKind::Summary);
             LineClipboard clipboard;
             g.SetCurrentRow(2);
             clipboard.Copy(g);
             g.SetCurrentRow(1);
             clipboard.Paste(g, SheetKind::Summary, false);
         }},
        {"duplicate", SheetKind::Summary,
         [](EstimateDocument& d) {
             d.Grid(SheetKind::Summary).SetCurrentRow(2);
             DuplicateLineAbove(d.Grid(SheetKind::Summary), SheetKind::Summary, false);
         }},
        {"insert a breakdown line", SheetKind::Breakdown,
         [](EstimateDocument& d) {
             d.Grid(SheetKind::Breakdown).SetCurrentRow(1);
             InsertBreakdownLine(d);
         }},
        {"insert a detail line", SheetKind::Breakdown,
         [](EstimateDocument& d) {
             d.LoadDetailSheet(1);
             d.Grid(SheetKind::Detail).SetCurrentRow(1);
             InsertLine(d.Grid(SheetKind::Detail));
             d.StoreDetailSheet();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.operation);
        OpenEstimate e;
        const bool summary = c.sheet == SheetKind::Summary;
        if (summary) {
            e.Row(SheetKind::Summary, 1, {"", "", "a", "", "1", "100"});
            e.Row(SheetKind::Summary, 2, {"", "", "b", "", "1", "200"});
        } else {
            e.Row(SheetKind::Breakdown, 1, {"", "", "work", "", "1"});
            e.document.LoadDetailSheet(1);
            e.Row(SheetKind::Detail, 1, {"000001", "", "a", "", "", "1", "100"});
            e.Row(SheetKind::Detail, 2, {"000002", "", "b", "", "", "1", "200"});
            e.document.StoreDetailSheet();
        }
        UnitPriceMultiplier multiplier;
        ScriptedQuestions q;
        q.ExpectText("掛率を入力して下さい。(1-200%)", "110")
            .ExpectOkCancel("単価掛率計算を行います。( 掛率: 110% )", true);
        ASSERT_TRUE(summary ? multiplier.ApplyToSummary(e.document, e.calculator, q)
                            : multiplier.ApplyToBreakdown(e.document, e.calculator, q));
        c.change(e.document);
        auto prices = [&e, summary] {
            std::vector<Fixed4> result;
            if (summary) {
                for (int row = 1; row <= 3; ++row)
                    result.push_back(
                        TextToFixed4(e.document.Grid(SheetKind::Summary).Cell(row, 6)));
            } else {
                for (int sheet = 1; sheet <= 2; ++sheet)
                    for (int line = 1; line <= 3; ++line)
                        result.push_back(e.document.Stores().details.Line(sheet, line).UnitPrice());
            }
            return result;
        };
        const std::vector<Fixed4> before = prices();

        q.ExpectInform("単価処理はされてません。");
        EXPECT_FALSE(summary ? multiplier.UndoSummary(e.document, e.calculator, q)
                             : multiplier.UndoBreakdown(e.document, e.calculator, q));
        EXPECT_EQ(prices(), before);
        q.Done();
    }
}

}  // namespace
}  // namespace quilto
