#include "core/output/free_form_output.h"

#include <gtest/gtest.h>

#include "support/memory_book.h"
#include "support/output_fixture.h"

namespace quilto {
namespace {

using test::MemoryBook;
using test::OutputFixture;
using test::RecordingProgress;
using test::Sjis;
using test::Utf8;

MemoryBook Output(const OutputFixture& f, RecordingProgress& progress) {
    MemoryBook book({"first", "following"});
    const FreeFormLines lines = GatherFreeFormLines(f.Source());
    const int pages = CountFreeFormPages(f.Source(), lines);
    QString error;
    EXPECT_EQ(WriteFreeFormOutput(book, f.Source(), lines, pages, progress, &error),
              BookWriting::kWritten)
        << error.toStdString();
    return book;
}
MemoryBook Output(const OutputFixture& f) {
    RecordingProgress progress;
    return Output(f, progress);
}

OutputFixture FreeForm(FreeFormSource source) {
    OutputFixture f;
    f.choices.freeForm = true;
    f.choices.freeFormSource = source;
    f.choices.printDate = Sjis("令和 8年12月10日");
    f.document.SetText(HeaderText::MBiko10, "0042");
    f.document.SetText(HeaderText::MName1, Sjis("山田 太郎"));
    return f;
}

// A breakdown with work lines and every kind of special line.
void FillBreakdownWithTotals(OutputFixture& f) {
    f.SetDiscountSign(true);
    f.Breakdown(1, "", "1", "基礎工事", "1,000");
    f.Breakdown(2, "", "2", "内装工事", "2,000");
    f.Breakdown(3, "=", "", "小計", "3,000");
    f.Breakdown(4, "-", "", "値引", "500");
    f.Breakdown(5, "/", "", "計", "2,500");
    f.Breakdown(6, "%", "", "消費税", "250");
    f.Breakdown(7, "\\", "", "合計", "2,750");
    f.Breakdown(8, "", "3", "追加工事", "100");
}

TEST(FreeFormOutputTest, SpecialLinesLeaveGapsAndFillTheTotalsBlock) {
    OutputFixture f = FreeForm(FreeFormSource::kBreakdown);
    FillBreakdownWithTotals(f);
    f.Define("SA1HJName1", "K3");
    const MemoryBook book = Output(f);
    EXPECT_EQ(book.Visible(), (std::vector<bool>{true, false}));
    EXPECT_EQ(book.Cell(1, "K3"), "株式会社 山田工務店");
    EXPECT_EQ(book.Cell(1, "T2"), "'0042");
    EXPECT_EQ(book.Cell(1, "C6"), "山田 太郎");
    EXPECT_EQ(book.Cell(1, "C3"), "令和 8年12月10日");
    EXPECT_EQ(book.Cell(1, "E9"), "2750");
    EXPECT_EQ(book.Cell(1, "O35"), "3000");
    EXPECT_EQ(book.Cell(1, "O36"), "-500");
    EXPECT_EQ(book.Cell(1, "O37"), "2500");
    EXPECT_EQ(book.Cell(1, "O38"), "250");
    EXPECT_EQ(book.Cell(1, "O39"), "2750");
    EXPECT_EQ(book.Cell(1, "T1"), "1");
    EXPECT_EQ(book.Cell(1, "K41"), "ロゴ");
    EXPECT_EQ(book.Cell(1, "C14"), "基礎工事");
    EXPECT_EQ(book.Cell(1, "O15"), "2,000");
    for (int row = 16; row <= 20; ++row)
        EXPECT_EQ(book.Cell(1, std::string(1, 'C').append(std::to_string(row))), "");
    EXPECT_EQ(book.Cell(1, "C21"), "追加工事");
    EXPECT_EQ(book.Cell(1, "A21"), "3");
}

TEST(FreeFormOutputTest, LinesTotalsPrintsTheSpecialLinesInsteadOfTheBlock) {
    OutputFixture f = FreeForm(FreeFormSource::kBreakdown);
    FillBreakdownWithTotals(f);
    f.choices.linesTotals = true;
    const MemoryBook book = Output(f);
    EXPECT_EQ(book.Cell(1, "C16"), "小計");
    EXPECT_EQ(book.Cell(1, "O17"), "-500");
    EXPECT_EQ(book.Cell(1, "O35"), "<none>");
    EXPECT_EQ(book.Cell(1, "O39"), "<none>");
    EXPECT_EQ(book.Cell(1, "E9"), "2750");  // the amount billed is always there
}

// The invoice items at the cells the shipped templates give them.
void DefineInvoiceCells(OutputFixture& f, const char* part) {
    const std::string p = part;
    f.Define((p + "HJTouroku").c_str(), "M12");
    f.Define((p + "HZRitu").c_str(), "A37");
    f.Define((p + "HZTaisyo").c_str(), "D37");
    f.Define((p + "HZGaku").c_str(), "H37");
}

TEST(FreeFormOutputTest, InvoiceItemsOnTheFirstPageOfBothOutputsWithOrWithoutTheBlock) {
    struct Case {
        FreeFormSource source;
        const char* part;
        bool linesTotals;
    } cases[] = {{FreeFormSource::kBreakdown, "SA1", false},
                 {FreeFormSource::kBreakdown, "SA1", true},
                 {FreeFormSource::kDetails, "SB1", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.part) + (c.linesTotals ? " lines" : " block"));
        OutputFixture f = FreeForm(c.source);
        FillBreakdownWithTotals(f);
        f.AddDetails(1, 1);
        f.choices.linesTotals = c.linesTotals;
        f.document.SetTaxRateText("10");
        f.registrationNumber = "T7000012050002";
        DefineInvoiceCells(f, c.part);
        const MemoryBook book = Output(f);
        EXPECT_EQ(book.Cell(1, "M12"), "登録番号 T7000012050002");
        EXPECT_EQ(book.Cell(1, "A37"), "10%対象");
        EXPECT_EQ(book.Cell(1, "D37"), "2500");  // the total line: after the discount
        EXPECT_EQ(book.Cell(1, "H37"), "250");   // the document's own tax line
    }
    // No number set: the cell is left blank rather than captioned with nothing.
    OutputFixture f = FreeForm(FreeFormSource::kBreakdown);
    FillBreakdownWithTotals(f);
    DefineInvoiceCells(f, "SA1");
    EXPECT_EQ(Output(f).Cell(1, "M12"), "");
    // A definition without the invoice cells (a template of one's own, made before) prints
    // the rest as before and nothing of these.
    OutputFixture plain = FreeForm(FreeFormSource::kBreakdown);
    FillBreakdownWithTotals(plain);
    plain.registrationNumber = "T7000012050002";
    const MemoryBook book = Output(plain);
    EXPECT_EQ(book.Cell(1, "M12"), "<none>");
    EXPECT_EQ(book.Cell(1, "O39"), "2750");
}

TEST(FreeFormOutputTest, InvoiceTaxIsTakenOnceOnTheTotalNeverPerLine) {
    OutputFixture f = FreeForm(FreeFormSource::kSummary);
    f.SetEnvironment("Hasu", " 1 切捨て");
    f.document.SetTaxRateText("10");
    f.Summary(1, "", "外壁", "1,005");
    f.Summary(2, "", "屋根", "1,006");
    f.Summary(3, "-", "", "11");
    f.Summary(4, "", "雨樋", "1,007");
    DefineInvoiceCells(f, "SA1");
    // No total or tax line: the net 3,007 at 10 % cut is 300; three lines cut one by one
    // would give 100 + 100 + 100 less the discount's 1.
    MemoryBook book = Output(f);
    EXPECT_EQ(book.Cell(1, "D37"), "3007");
    EXPECT_EQ(book.Cell(1, "H37"), "300");
    // The amounts said to include the tax: the tax they contain, once.
    f.document.SetCheckBox2(true);
    book = Output(f);
    EXPECT_EQ(book.Cell(1, "A37"), "10%対象(税込)");
    EXPECT_EQ(book.Cell(1, "H37"), "273");  // 3,007 x 10 / 110 = 273.36
}

TEST(FreeFormOutputTest, PagesOfFirstAndFollowingSizes) {
    struct Case {
        int lines;
        std::vector<std::string> sheets;
        int lastSheet;
        const char* lastCell;
    };
    for (const Case& c : {
             Case{0, {}, 0, ""},
             Case{21, {"first", "following"}, 1, "C34"},
             Case{22, {"first", "following"}, 2, "C3"},
             Case{57, {"first", "following", "following"}, 3, "C3"},
         }) {
        OutputFixture f = FreeForm(FreeFormSource::kSummary);
        for (int row = 1; row <= c.lines; ++row) f.Summary(row, "", "行" + std::to_string(row));
        const FreeFormLines lines = GatherFreeFormLines(f.Source());
        const int pages = CountFreeFormPages(f.Source(), lines);
        EXPECT_EQ(pages, static_cast<int>(c.sheets.size()) - (c.lines == 21 ? 1 : 0)) << c.lines;
        if (pages == 0) continue;
        const MemoryBook book = Output(f);
        EXPECT_EQ(book.Names(), c.sheets);
        EXPECT_EQ(book.Cell(c.lastSheet, c.lastCell), "行" + std::to_string(c.lines));
        if (c.lastSheet > 1) {
            EXPECT_EQ(book.Cell(c.lastSheet, "T1"), std::to_string(c.lastSheet));
            EXPECT_EQ(book.Cell(c.lastSheet, "K39"), "ロゴ");
        } else {
            EXPECT_FALSE(book.At(2).visible);
        }
    }
}

TEST(FreeFormOutputTest, CancelWhileThePagesAreMadeWritesNothing) {
    OutputFixture f = FreeForm(FreeFormSource::kSummary);
    for (int row = 1; row <= 100; ++row) f.Summary(row, "", "行");
    const FreeFormLines lines = GatherFreeFormLines(f.Source());
    const int pages = CountFreeFormPages(f.Source(), lines);
    ASSERT_EQ(pages, 4);
    MemoryBook book({"first", "following"});
    test::CancelAfterCopies progress(book, 1);
    QString error;
    EXPECT_EQ(WriteFreeFormOutput(book, f.Source(), lines, pages, progress, &error),
              BookWriting::kCancelled);
    EXPECT_EQ(book.SheetCount(), 3);
    EXPECT_EQ(book.Writes(), 0);
}

TEST(FreeFormOutputTest, DetailOutputGathersAHeadingTheLinesAndABlankPerConstruction) {
    OutputFixture f = FreeForm(FreeFormSource::kDetails);
    f.Breakdown(1, "", "1", "基礎工事  ", "1,000");
    f.AddDetail(1, 1, {"000001", "砕石", "40mm", "m3", "2", "100", "200"});
    f.AddDetail(1, 2, {"000002", "型枠", "", "式", "0", "0", "0", "", "//控え"});
    f.AddDetail(1, 3, {"=", "小計", "", "", "1", "1", "200"});
    f.Breakdown(2, "=", "", "小計", "1,000");
    f.Breakdown(3, "", "2", "内装工事", "300");
    f.AddDetail(3, 1, {"000003", "壁紙", "", "m2", "3", "100", "300"});
    const FreeFormLines lines = GatherFreeFormLines(f.Source());
    ASSERT_EQ(lines.lines.size(), 7u);
    EXPECT_EQ(Utf8(lines.lines[0][3]), "【基礎工事】");
    EXPECT_EQ(Utf8(lines.lines[1][4]), "40mm");
    EXPECT_EQ(lines.lines[1][8], "200");
    EXPECT_EQ(lines.lines[2][6] + lines.lines[2][7] + lines.lines[2][8], "");
    EXPECT_EQ(lines.lines[3][6] + lines.lines[3][7], "");  // a special line: no quantity, price
    EXPECT_EQ(lines.lines[3][8], "200");
    EXPECT_EQ(lines.lines[4], (std::array<std::string, 12>{}));
    EXPECT_EQ(Utf8(lines.lines[5][3]), "【内装工事】");
    EXPECT_EQ(lines.subtotal, "1,000");

    const MemoryBook book = Output(f);
    EXPECT_EQ(book.Cell(1, "K15"), "2");       // SB1Suu
    EXPECT_EQ(book.Cell(1, "M15"), "100");     // SB1Utanka
    EXPECT_EQ(book.Cell(1, "S16"), "<none>");  // "//" remarks
    EXPECT_EQ(book.Cell(1, "O35"), "1000");

    // With Chk_ktype a special line without details prints as one line.
    f.choices.linesTotals = true;
    const FreeFormLines withTotals = GatherFreeFormLines(f.Source());
    ASSERT_EQ(withTotals.lines.size(), 8u);
    EXPECT_EQ(Utf8(withTotals.lines[5][3]), "小計");
    EXPECT_EQ(withTotals.lines[5][8], "1,000");
}

TEST(FreeFormOutputTest, NameAndSpecificationShareOneCellOnEveryPage) {
    OutputFixture f = FreeForm(FreeFormSource::kDetails);
    f.Define("SB1Kikaku", "C14");
    f.Define("SB2Kikaku", "C3");
    f.Breakdown(1, "", "1", "工事", "1");
    for (int i = 1; i <= 30; ++i) f.AddDetail(1, i, {"000001", "木材", "2x4", "本", "1", "1", "1"});
    f.AddDetail(1, 31, {"000001", "手間", "", "人", "1", "1", "1"});
    const MemoryBook book = Output(f);
    EXPECT_EQ(book.Cell(1, "C14"), "【工事】");
    EXPECT_EQ(book.Cell(1, "C15"), "木材\n  2x4");
    EXPECT_EQ(book.Cell(2, "C3"), "木材\n  2x4");  // line 22: first line of page 2
    EXPECT_EQ(book.Cell(2, "C13"), "手間");        // no specification: the name alone

    f.Define("SB1Kikaku", "F14");
    const MemoryBook separate = Output(f);
    EXPECT_EQ(separate.Cell(1, "C15"), "木材");
    EXPECT_EQ(separate.Cell(1, "F15"), "2x4");
    EXPECT_EQ(separate.Cell(2, "C3"), "木材\n  2x4");
}

TEST(FreeFormOutputTest, AnEmptySummaryHasNoPages) {
    OutputFixture f = FreeForm(FreeFormSource::kSummary);
    EXPECT_EQ(CountFreeFormPages(f.Source(), GatherFreeFormLines(f.Source())), 0);
}

}  // namespace
}  // namespace quilto
