// The sheet 材料費等内訳書 written after the standard sheets: its pages, heading, lines and
// total row, and the sheet hidden when it is not asked for.

#include "core/output/itemised_output.h"

#include <gtest/gtest.h>

#include "core/output/standard_output.h"
#include "support/memory_book.h"
#include "support/output_fixture.h"

namespace quilto {
namespace {

using test::MemoryBook;

MemoryBook Template() {
    return MemoryBook({"表紙", "総括書", "内訳書", "明細書", "材料費等内訳書"});
}

struct Written {
    MemoryBook book = Template();
    BookWriting written = BookWriting::kFailed;
    QString error;
};

// The standard output first, as a run makes it, then the itemised sheet.
Written Write(test::OutputFixture& f) {
    Written run;
    OutputProgress progress;
    const OutputSource source = f.Source();
    const StandardPages pages = CountStandardPages(source);
    const int templateSheets = run.book.SheetCount();
    EXPECT_EQ(WriteStandardOutput(run.book, source, pages, progress, &run.error),
              BookWriting::kWritten);
    const ItemisedEstimate itemised = ItemiseEstimate(f.document, 0);
    run.written = WriteItemisedOutput(run.book, source, itemised, templateSheets, pages.Total(),
                                      progress, &run.error);
    return run;
}

TEST(ItemisedOutput, TwentyFiveWorkTypesTakeTwoPagesWithTheTotalOnTheSecond) {
    test::OutputFixture f;
    f.choices.itemised = true;
    f.document.SetText(HeaderText::MBango, "A-12");
    f.document.SetText(HeaderText::MName1, test::Sjis("山田様"));
    for (int row = 1; row <= 25; ++row) {
        // Appended, not "w" + ...: GCC 12 at -O3 warns falsely there (-Wrestrict).
        f.Breakdown(row, "", "", std::string("w").append(std::to_string(row)),
                    std::to_string(row * 1000));
        f.SetCell(SheetKind::Breakdown, row, 9, row == 3 ? "1.5" : "");
    }
    const Written run = Write(f);
    ASSERT_EQ(run.written, BookWriting::kWritten) << run.error.toStdString();
    const std::vector<std::string> names = run.book.Names();
    ASSERT_EQ(names.size(), 7u);  // cover, breakdown, no detail pages, two itemised pages
    EXPECT_EQ(names[5], "材料費等内訳書");
    EXPECT_EQ(names[6], "材料費等内訳書");
    for (int sheet : {6, 7}) {
        EXPECT_EQ(run.book.Cell(sheet, "C3"), "A-12") << sheet;
        EXPECT_EQ(run.book.Cell(sheet, "F3"), "山田様") << sheet;
        EXPECT_EQ(run.book.Cell(sheet, "B27"), "株式会社 山田工務店") << sheet;
    }
    EXPECT_EQ(run.book.Cell(6, "B7"), "w1");
    EXPECT_EQ(run.book.Cell(6, "C9"), "3000");
    EXPECT_EQ(run.book.Cell(6, "J9"), "1.5");
    EXPECT_EQ(run.book.Cell(6, "D9"), "") << "a class with nothing in it is blank";
    EXPECT_EQ(run.book.Cell(6, "B26"), "w20");
    EXPECT_EQ(run.book.Cell(7, "B11"), "w25");
    EXPECT_EQ(run.book.Cell(7, "B12"), "合　　計");
    EXPECT_EQ(run.book.Cell(7, "I12"), "325000");
    EXPECT_EQ(run.book.Cell(7, "D12"), "0");
    EXPECT_EQ(run.book.Cell(7, "B13"), "<none>");
    EXPECT_NE(run.book.Cell(7, "B28").find("325,000"), std::string::npos)
        << "the note says how much was never classified";
}

TEST(ItemisedOutput, NotAskedForTheSheetIsHiddenAndNothingIsWrittenIntoIt) {
    test::OutputFixture f;
    f.Breakdown(1, "", "", "w", "1000");
    const Written run = Write(f);
    ASSERT_EQ(run.written, BookWriting::kWritten);
    const std::vector<bool> visible = run.book.Visible();
    ASSERT_EQ(visible.size(), 5u);
    EXPECT_FALSE(visible[4]);
    EXPECT_TRUE(run.book.At(5).cells.empty());
    EXPECT_TRUE(run.book.IsSheetVisible(run.book.Active()));
}

}  // namespace
}  // namespace quilto
