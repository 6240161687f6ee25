#include "core/output/standard_output.h"

#include <gtest/gtest.h>

#include "core/output/output_values.h"
#include "support/memory_book.h"
#include "support/output_fixture.h"

namespace quilto {
namespace {

using test::MemoryBook;
using test::OutputFixture;
using test::RecordingProgress;
using test::Sjis;

MemoryBook Template() { return MemoryBook({"cover", "summary", "breakdown", "detail"}); }

// Runs the standard output of the fixture into a fresh template.
MemoryBook Output(const OutputFixture& f, RecordingProgress& progress) {
    MemoryBook book = Template();
    QString error;
    const StandardPages pages = CountStandardPages(f.Source());
    EXPECT_EQ(WriteStandardOutput(book, f.Source(), pages, progress, &error), BookWriting::kWritten)
        << error.toStdString();
    return book;
}
MemoryBook Output(const OutputFixture& f) {
    RecordingProgress progress;
    return Output(f, progress);
}

TEST(StandardOutputTest, CoverOnlyHidesTheOtherSheetsAndFillsTheCover) {
    OutputFixture f;
    f.Breakdown(1, "", "1", "基礎工事", "1,000");
    f.AddDetails(1, 3);
    f.choices.breakdown = false;
    f.choices.constructions.fill(false);
    f.document.SetText(HeaderText::MName1, Sjis("山田 太郎"));
    f.document.SetText(HeaderText::MBango, "007");
    f.document.SetFigure(HeaderFigure::MGoukei01, "  1,100,000");
    f.document.SetFigure(HeaderFigure::MGoukei11, "1,000,000");
    f.document.SetCheckBox2(true);

    const StandardPages pages = CountStandardPages(f.Source());
    EXPECT_EQ(pages.Total(), 1);
    const MemoryBook book = Output(f);
    EXPECT_EQ(book.Visible(), (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(book.Cell(1, "E5"), "山田 太郎");
    EXPECT_EQ(book.Cell(1, "AB4"), "'007");  // the apostrophe keeps leading zeros as text
    EXPECT_EQ(book.Cell(1, "L10"), "1100000");
    EXPECT_EQ(book.Cell(1, "K11"), "消費税を含みます");
    EXPECT_EQ(book.Cell(1, "X17"), "株式会社 山田工務店");
    EXPECT_EQ(book.Cell(1, "U33"), "ロゴ");
    EXPECT_EQ(book.Cell(1, "B3"), "<none>");
}

TEST(StandardOutputTest, TaxOfTheCoverIsTheDifferenceOfTheTwoTotals) {
    OutputFixture f;
    f.choices.breakdown = false;
    f.Define("HGoukei1", "L12");
    f.Define("HGoukei2", "L13");
    f.document.SetFigure(HeaderFigure::MGoukei01, "1,100,000.5");
    f.document.SetFigure(HeaderFigure::MGoukei11, "1,000,000");
    const MemoryBook book = Output(f);
    EXPECT_EQ(book.Cell(1, "L12"), "1000000");
    EXPECT_EQ(book.Cell(1, "L13"), "100000.5");
    EXPECT_EQ(book.Cell(1, "K11"), "消費税は含みません");
}

TEST(StandardOutputTest, PageCountsFollowRowsPerPage) {
    struct Case {
        int breakdownRows;
        const char* gyoD1;
        int expectedBreakdownPages;
    };
    for (const Case& c :
         {Case{20, "20", 1}, Case{21, "20", 2}, Case{41, "20", 3}, Case{5, "0", 0}}) {
        OutputFixture f;
        f.Define("GyoD1", c.gyoD1);
        for (int row = 1; row <= c.breakdownRows; ++row) f.Breakdown(row, "", "", "工事");
        const StandardPages pages = CountStandardPages(f.Source());
        EXPECT_EQ(pages.breakdown, c.expectedBreakdownPages) << c.breakdownRows;
        EXPECT_EQ(pages.cover, 1);
    }
}

TEST(StandardOutputTest, TheTwentyFirstBreakdownRowStartsTheNextSheetAtTheFirstRow) {
    OutputFixture f;
    for (int row = 1; row <= 21; ++row)
        f.Breakdown(row, "", std::to_string(row), "工事" + std::to_string(row));
    const MemoryBook book = Output(f);
    EXPECT_EQ(book.Names(),
              (std::vector<std::string>{"cover", "summary", "breakdown", "breakdown", "detail"}));
    EXPECT_EQ(book.Visible(), (std::vector<bool>{true, false, true, true, false}));
    EXPECT_EQ(book.Cell(3, "C22"), "工事20");
    EXPECT_EQ(book.Cell(4, "C3"), "工事21");
    EXPECT_EQ(book.Cell(4, "B3"), "21");
    EXPECT_EQ(book.Cell(4, "C4"), "<none>");
    EXPECT_EQ(book.Cell(4, "F23"), "ロゴ");
}

TEST(StandardOutputTest, DetailPagesAreNumberedPerConstruction) {
    OutputFixture f;
    f.Define("EPage1", "J1");
    f.Define("HBKsep", " - ");
    f.Breakdown(1, "", "1", "基礎工事", "4,500");
    f.Breakdown(2, "", "2", "内装工事  ", "300");
    f.Breakdown(3, "", "", "雑工事", "100");
    f.AddDetails(1, 45);
    f.AddDetails(2, 3);
    f.AddDetails(3, 1);
    f.choices.constructions[2] = false;  // not chosen: no pages

    RecordingProgress progress;
    const MemoryBook book = Output(f, progress);
    EXPECT_EQ(book.Names(), (std::vector<std::string>{"cover", "summary", "breakdown", "detail",
                                                      "detail", "detail", "detail"}));
    // The summary is not printed: its hidden sheet still counts, so the breakdown is sheet 3.
    EXPECT_EQ(book.Cell(3, "C3"), "基礎工事");
    EXPECT_EQ(book.Cell(3, "C5"), "雑工事");
    for (int page = 1; page <= 3; ++page) {
        EXPECT_EQ(book.Cell(3 + page, "J1"), std::to_string(page));
        EXPECT_EQ(book.Cell(3 + page, "C1"), "1 - 基礎工事");
    }
    EXPECT_EQ(book.Cell(4, "C22"), "品20");
    EXPECT_EQ(book.Cell(6, "C3"), "品41");
    EXPECT_EQ(book.Cell(6, "C7"), "品45");
    EXPECT_EQ(book.Cell(6, "H8"), "4,500");  // its total, below its last line
    EXPECT_EQ(book.Cell(6, "C9"), "<none>");
    // The next chosen construction starts a sheet of its own at page 1; without a number
    // its heading has no separator.
    EXPECT_EQ(book.Cell(7, "J1"), "1");
    EXPECT_EQ(book.Cell(7, "C1"), "雑工事");
    EXPECT_EQ(book.Cell(7, "C3"), "品1");
    EXPECT_EQ(progress.lastPage_, 6);
    EXPECT_EQ(book.Active(), 1);  // the workbook opens on its first page
}

// A detail sheet without a 計 line of its own prints its total (the figures of its breakdown
// line, as text: never a formula) on the line after its last, taking a page when the last
// is full; a sheet with a 計 line prints only its own.
TEST(StandardOutputTest, ADetailSheetWithoutATotalLinePrintsItsTotalOnItsLastPage) {
    OutputFixture f;
    f.Breakdown(1, "", "1", "基礎工事", "2,000", "1,500");
    f.Breakdown(2, "", "2", "内装工事", "300");
    f.AddDetails(1, 20);
    f.AddDetails(2, 2);
    f.AddDetail(2, 3, {"/", "", "", "", "", "", "200"});
    f.choices.cost = true;
    f.choices.breakdown = false;

    EXPECT_EQ(CountStandardPages(f.Source()).detail, 3);
    const MemoryBook book = Output(f);
    ASSERT_EQ(book.Names().size(), 6u);
    EXPECT_EQ(book.Cell(4, "C22"), "品20");
    EXPECT_EQ(book.Cell(5, "C3"), "－    計    －");  // the environment's 計 caption
    EXPECT_EQ(book.Cell(5, "H3"), "2,000");
    EXPECT_EQ(book.Cell(5, "I3"), "1,500");
    EXPECT_EQ(book.Cell(5, "C4"), "<none>");
    EXPECT_EQ(book.Cell(6, "H5"), "200");  // its own 計 line
    EXPECT_EQ(book.Cell(6, "C6"), "<none>");
}

TEST(StandardOutputTest, SectionsLandOnTheirSheetsWithoutACover) {
    OutputFixture f;
    f.choices.cover = false;
    f.choices.summary = true;
    for (int row = 1; row <= 25; ++row) f.Summary(row, "", "総括" + std::to_string(row));
    for (int row = 1; row <= 22; ++row) f.Breakdown(row, "", "", "内訳" + std::to_string(row));
    const MemoryBook book = Output(f);
    EXPECT_EQ(book.Names(), (std::vector<std::string>{"cover", "summary", "summary", "breakdown",
                                                      "breakdown", "detail"}));
    EXPECT_EQ(book.Visible(), (std::vector<bool>{false, true, true, true, true, false}));
    EXPECT_EQ(book.Cell(3, "C7"), "総括25");
    EXPECT_EQ(book.Cell(4, "C3"), "内訳1");
    EXPECT_EQ(book.Cell(5, "C4"), "内訳22");
    EXPECT_EQ(book.Active(), 2);
}

TEST(StandardOutputTest, DiscountSignAndRemarks) {
    struct Case {
        bool sign;
        const char* marker;
        const char* amount;
        const char* remarks;
        const char* expectedAmount;
        const char* expectedRemarks;
    };
    for (const Case& c : {
             Case{true, "-", "  1,000", "/値引", "-1,000", "/値引"},
             Case{false, "-", "  1,000", "//社内メモ", "  1,000", "<none>"},
             Case{true, "", "1,000", "備考  ", "1,000", "備考"},
             Case{true, "-", "", "", "", ""},
         }) {
        OutputFixture f;
        f.SetDiscountSign(c.sign);
        f.Breakdown(1, c.marker, "", "値引", c.amount, "", c.remarks);
        const MemoryBook book = Output(f);
        EXPECT_EQ(book.Cell(3, "F3"), c.expectedAmount) << c.amount << c.sign;
        EXPECT_EQ(book.Cell(3, "G3"), c.expectedRemarks) << c.remarks;
    }
}

TEST(StandardOutputTest, CostPrintWritesCostsAndMarginRates) {
    OutputFixture f;
    f.choices.cost = true;
    f.choices.summary = true;
    f.Define("FRes02", "J3");
    f.Summary(1, "", "A", "1,000", "750", "原価");
    f.Summary(2, "", "B", "300", "200");
    f.Summary(3, "", "C", "500", "");
    f.Summary(4, "", "D", "0", "10");
    const MemoryBook book = Output(f);
    EXPECT_EQ(book.Cell(2, "J3"), "25");
    EXPECT_EQ(book.Cell(2, "J4"), "33.33");
    EXPECT_EQ(book.Cell(2, "J5"), "<none>");
    EXPECT_EQ(book.Cell(2, "J6"), "0");
    EXPECT_EQ(book.Cell(2, "G3"), "750");   // FSGou
    EXPECT_EQ(book.Cell(2, "H3"), "原価");  // FTekiyo1 in cost print
}

// Each figure of a summary and a breakdown line lands in its own field, with and without
// the cost: every column holds a different text, so a figure read from a neighbour shows.
TEST(StandardOutputTest, SummaryAndBreakdownLinesFillEachFieldFromItsColumn) {
    struct Expected {
        const char* cell;
        const char* withCost;
        const char* withoutCost;
    };
    for (const bool cost : {true, false}) {
        OutputFixture f;
        f.choices.cost = cost;
        f.choices.summary = true;
        f.Define("FUtanka", "I3");
        f.Define("FStanka", "K3");
        f.Define("FRes02", "J3");
        f.Define("DRes02", "J3");
        // summary: marker, number, name, unit, quantity, unit price, amount, cost unit price,
        // cost, remarks
        const char* summary[] = {"", "S1", "総括", "式", "2", "500", "1,000", "300", "600", "総摘"};
        for (int col = 1; col <= 10; ++col) f.SetCell(SheetKind::Summary, 1, col, summary[col - 1]);
        // breakdown: marker, number, name, unit, quantity, amount, cost, remarks
        const char* breakdown[] = {"", "B1", "内訳", "m2", "3", "900", "450", "内摘"};
        for (int col = 1; col <= 8; ++col)
            f.SetCell(SheetKind::Breakdown, 1, col, breakdown[col - 1]);
        const MemoryBook book = Output(f);
        SCOPED_TRACE(cost ? "with cost" : "without cost");
        for (const Expected& e : {
                 Expected{"B3", "S1", "S1"},
                 Expected{"C3", "総括", "総括"},
                 Expected{"E3", "式", "式"},
                 Expected{"D3", "2", "2"},
                 Expected{"I3", "500", "500"},
                 Expected{"F3", "1,000", "1,000"},
                 Expected{"K3", "300", "<none>"},
                 Expected{"G3", "600", "総摘"},  // FSGou, or FTekiyo2 without the cost
                 Expected{"H3", "総摘", "<none>"},
                 Expected{"J3", "40", "<none>"},
             })
            EXPECT_EQ(book.Cell(2, e.cell), cost ? e.withCost : e.withoutCost)
                << "summary " << e.cell;
        for (const Expected& e : {
                 Expected{"B3", "B1", "B1"},
                 Expected{"C3", "内訳", "内訳"},
                 Expected{"E3", "m2", "m2"},
                 Expected{"D3", "3", "3"},
                 Expected{"F3", "900", "900"},
                 Expected{"G3", "450", "内摘"},  // DStanka, or DTekiyo2 without the cost
                 Expected{"H3", "内摘", "<none>"},
                 Expected{"J3", "50", "<none>"},
                 Expected{"I3", "<none>", "<none>"},  // the breakdown has no unit prices
                 Expected{"K3", "<none>", "<none>"},
             })
            EXPECT_EQ(book.Cell(3, e.cell), cost ? e.withCost : e.withoutCost)
                << "breakdown " << e.cell;
    }
}

TEST(StandardOutputTest, DetailLinesBlankTheirZeroFigures) {
    OutputFixture f;
    f.choices.cost = true;
    f.Define("EKTan", "K3");
    f.Define("EKake", "L3");
    f.Define("ERes02", "M3");
    f.Breakdown(1, "", "1", "工事", "1");
    f.AddDetail(1, 1, {"000001", "木材", "2x4", "本", "2", "100", "200", "150"});
    f.AddDetail(1, 2, {"000002", "釘", "", "箱", "0", "100", "0"});
    f.AddDetail(1, 3, {"000003", "運搬", "", "式", "", "", "500", "0"});
    f.AddDetail(1, 4, {"=", "小計", "", "", "3", "9", "700"});
    f.AddDetail(1, 5, {"", "", "", "", "1", "1", "999"});
    f.AddDetail(1, 6, {"000004", "手間", "", "人", "2", "", "", "", "//内部"});
    f.document.Stores().details.MutableLine(1, 1).SetLabourRate(TextToFixed4("1.5"));
    f.document.Stores().details.MutableLine(1, 2).SetLabourRate(TextToFixed4("1.5"));
    const MemoryBook book = Output(f);
    const int s = 4;
    // quantity E, unit price G, amount H, cost I, labour K and L, margin M
    EXPECT_EQ(book.Cell(s, "E3"), "2");
    EXPECT_EQ(book.Cell(s, "G3"), "100");
    EXPECT_EQ(book.Cell(s, "H3"), "200");
    EXPECT_EQ(book.Cell(s, "I3"), "150");
    EXPECT_EQ(book.Cell(s, "K3"), "1.500");
    EXPECT_EQ(book.Cell(s, "L3"), "3.000");
    EXPECT_EQ(book.Cell(s, "M3"), "25");
    EXPECT_EQ(book.Cell(s, "D3"), "2x4");
    EXPECT_EQ(book.Cell(s, "E4"), "");
    EXPECT_EQ(book.Cell(s, "G4"), "");
    EXPECT_EQ(book.Cell(s, "H4"), "");
    EXPECT_EQ(book.Cell(s, "K4"), "");
    EXPECT_EQ(book.Cell(s, "L4"), "1.500");
    EXPECT_EQ(book.Cell(s, "H5"), "500");  // an amount without a quantity still prints
    EXPECT_EQ(book.Cell(s, "I5"), "");
    EXPECT_EQ(book.Cell(s, "E6"), "");  // a special line shows no quantity or price
    EXPECT_EQ(book.Cell(s, "G6"), "");
    EXPECT_EQ(book.Cell(s, "H6"), "700");
    EXPECT_EQ(book.Cell(s, "C7"), "");  // a free line keeps its row and nothing else
    EXPECT_EQ(book.Cell(s, "H7"), "<none>");
    EXPECT_EQ(book.Cell(s, "E8"), "2");
    EXPECT_EQ(book.Cell(s, "J8"), "<none>");
}

TEST(StandardOutputTest, CancelDuringTheSummaryLeavesTheLaterSectionsUnwritten) {
    OutputFixture f;
    f.choices.summary = true;
    for (int row = 1; row <= 30; ++row) f.Summary(row, "", "総括" + std::to_string(row));
    for (int row = 1; row <= 5; ++row) f.Breakdown(row, "", "", "内訳" + std::to_string(row));
    f.AddDetails(1, 3);
    RecordingProgress progress(1 + 25);  // the summary's second page is copied, 25 lines read
    const MemoryBook book = Output(f, progress);
    EXPECT_EQ(book.Names(),
              (std::vector<std::string>{"cover", "summary", "summary", "breakdown", "detail"}));
    EXPECT_NE(book.Cell(1, "E5"), "<none>");
    EXPECT_EQ(book.Cell(3, "C7"), "総括25");
    EXPECT_EQ(book.Cell(3, "C8"), "<none>");
    EXPECT_TRUE(book.At(4).cells.empty());
    EXPECT_TRUE(book.At(5).cells.empty());
}

// A long estimate spends seconds copying pages before its first line. キャンセル there ends
// the output at the next copy with nothing written; once every page is made it is a cancel
// at the first line as above, and what was written is kept.
TEST(StandardOutputTest, CancelWhileThePagesAreMadeEndsBeforeTheFirstLine) {
    OutputFixture f;
    f.choices.summary = true;
    for (int row = 1; row <= 30; ++row) f.Summary(row, "", "総括");
    for (int row = 1; row <= 21; ++row) f.Breakdown(row, "", "", "内訳");
    f.AddDetails(1, 45);
    const StandardPages pages = CountStandardPages(f.Source());
    ASSERT_EQ(pages.Total(), 1 + 2 + 2 + 3);  // four copies: two detail, one each before

    struct Case {
        int copies;
        BookWriting expected;
    };
    for (const Case& c : {Case{0, BookWriting::kCancelled}, Case{3, BookWriting::kCancelled},
                          Case{4, BookWriting::kWritten}}) {
        SCOPED_TRACE(c.copies);
        MemoryBook book = Template();
        test::CancelAfterCopies progress(book, c.copies);
        QString error;
        EXPECT_EQ(WriteStandardOutput(book, f.Source(), pages, progress, &error), c.expected);
        EXPECT_EQ(book.SheetCount(), 4 + c.copies);
        if (c.expected == BookWriting::kCancelled) {
            EXPECT_EQ(book.Writes(), 0);
            EXPECT_EQ(progress.lastPage_, 0);
        } else {
            EXPECT_EQ(book.Cell(1, "X17"), "株式会社 山田工務店");  // the cover
            EXPECT_EQ(book.Cell(2, "C3"), "<none>");                // no summary line
        }
    }
}

TEST(StandardOutputTest, AnInvalidLineCellOrABookFailureStopsTheOutput) {
    OutputFixture f;
    f.Breakdown(1, "", "1", "工事", "1", "", "");
    f.AddDetails(1, 1);
    MemoryBook book({"cover", "summary", "breakdown"});  // no detail page in the template
    RecordingProgress progress;
    QString error;
    EXPECT_EQ(
        WriteStandardOutput(book, f.Source(), CountStandardPages(f.Source()), progress, &error),
        BookWriting::kFailed);
    EXPECT_EQ(error.toStdString(), "no sheet 4");

    // A line cell that names no cell is told as a bad fixed cell is, never left out.
    f.Define("DName", "A0");
    MemoryBook full = Template();
    EXPECT_EQ(
        WriteStandardOutput(full, f.Source(), CountStandardPages(f.Source()), progress, &error),
        BookWriting::kFailed);
    EXPECT_EQ(error.toStdString(), "セル番地 A0 が正しくありません。");
}

// The dialog lists a construction by marker, name or amount; the detail pages also count a
// row with only a unit. Neither takes a special line or a line without detail lines.
TEST(StandardOutputTest, ConstructionsWithDetailSheets) {
    OutputFixture f;
    f.Breakdown(1, "", "1", "基礎工事");
    f.Breakdown(2, "", "2", "名前だけ");
    f.Breakdown(3, "=", "", "小計", "100");
    f.Breakdown(4, "", "", "", "0");
    f.SetCell(SheetKind::Breakdown, 4, 4, "式");
    f.Breakdown(5, "", "", "", "1,000");
    for (int row : {1, 3, 4, 5}) f.AddDetails(row, 1);
    std::vector<int> listed;
    for (const ConstructionEntry& entry : ListConstructions(f.document))
        listed.push_back(entry.row);
    EXPECT_EQ(listed, (std::vector<int>{1, 5}));
    std::vector<int> printed;
    for (int row = 1; row <= 5; ++row)
        if (HasPrintableDetailSheet(f.document, row)) printed.push_back(row);
    EXPECT_EQ(printed, (std::vector<int>{1, 4, 5}));
}

TEST(OutputValuesTest, PageCountAndMarginRate) {
    EXPECT_EQ(PageCount(-3, 20, 20), 1);
    EXPECT_EQ(PageCount(21, 21, 35), 1);
    EXPECT_EQ(PageCount(22, 21, 35), 2);
    EXPECT_EQ(PageCount(57, 21, 35), 3);
    EXPECT_EQ(PageCount(21, 0, 0), 2);  // 0 counts as 20
    EXPECT_EQ(MarginRate("1,000", "750"), "25");
    EXPECT_EQ(MarginRate("300", "200"), "33.33");
    EXPECT_EQ(MarginRate("3", "1.9999"), "33.34");  // the first dropped digit decides
    EXPECT_EQ(MarginRate("100", "250"), "-150");
    EXPECT_EQ(MarginRate("0", "5"), "0");
}

}  // namespace
}  // namespace quilto
