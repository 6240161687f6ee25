// The editor's working copy: grid rows to line records and back, the detail sheet moving
// between the detail grid and the detail store, cover fields by control name.

#include "core/editor/estimate_document.h"

#include <gtest/gtest.h>

#include "support/sjis.h"

namespace quilto {
namespace {

using test::Sjis;

TEST(EstimateDocument, GridsHaveTheEditorsSizes) {
    EstimateDocument doc;
    EXPECT_EQ(doc.Grid(SheetKind::Breakdown).RowCount(), 301);
    EXPECT_EQ(doc.Grid(SheetKind::Breakdown).ColCount(), 10);
    EXPECT_EQ(doc.Grid(SheetKind::Detail).RowCount(), 301);
    EXPECT_EQ(doc.Grid(SheetKind::Detail).ColCount(), 15);
    EXPECT_EQ(doc.Grid(SheetKind::Summary).RowCount(), 1001);
    EXPECT_EQ(doc.Grid(SheetKind::Summary).ColCount(), 11);
}

// Each grid column lands in its own record field, and comes back from it.
TEST(EstimateDocument, RowsAndRecordsMapColumnByColumn) {
    struct Column {
        int col;
        const char* text;
    };
    struct Case {
        SheetKind sheet;
        std::vector<Column> cells;
        LineRecord expected;
    };
    auto record = [](auto fill) {
        LineRecord r;
        fill(r);
        return r;
    };
    const Case cases[] = {
        {SheetKind::Summary,
         {{1, "K01"},
          {2, "1"},
          {3, "name"},
          {4, "m"},
          {5, "1.5"},
          {6, "2"},
          {7, "3"},
          {8, "4"},
          {9, "5"},
          {10, "rem"}},
         record([](LineRecord& r) {
             r.SetCode("K01");
             r.SetNumberText("1");
             r.SetName("name");
             r.SetUnit("m");
             r.SetQuantity(Fixed4::FromRaw(15000));
             r.SetUnitPrice(Fixed4::FromInt(2));
             r.SetAmount(Fixed4::FromInt(3));
             r.SetCostUnitPrice(Fixed4::FromInt(4));
             r.SetCost(Fixed4::FromInt(5));
             r.SetRemarks("rem");
         })},
        // The breakdown's cost column is the record's cost unit price field.
        {SheetKind::Breakdown,
         {{1, "K01"}, {2, "1"}, {3, "name"}, {4, "m"}, {5, "7"}, {6, "8"}, {7, "9"}, {8, "rem"}},
         record([](LineRecord& r) {
             r.SetCode("K01");
             r.SetNumberText("1");
             r.SetName("name");
             r.SetUnit("m");
             r.SetQuantity(Fixed4::FromInt(7));
             r.SetAmount(Fixed4::FromInt(8));
             r.SetCostUnitPrice(Fixed4::FromInt(9));
             r.SetRemarks("rem");
         })},
        {SheetKind::Detail,
         {{1, "000123"},
          {2, "1"},
          {3, "name"},
          {4, "spec"},
          {5, "m"},
          {6, "1"},
          {7, "2"},
          {8, "3"},
          {9, "4"},
          {10, "5"},
          {11, "rem"},
          {12, "0.125"}},
         record([](LineRecord& r) {
             r.SetCode("000123");
             r.SetNumberText("1");
             r.SetName("name");
             r.SetSpec("spec");
             r.SetUnit("m");
             r.SetQuantity(Fixed4::FromInt(1));
             r.SetUnitPrice(Fixed4::FromInt(2));
             r.SetAmount(Fixed4::FromInt(3));
             r.SetCostUnitPrice(Fixed4::FromInt(4));
             r.SetCost(Fixed4::FromInt(5));
             r.SetRemarks("rem");
             r.SetLabourRate(Fixed4::FromRaw(1250));
         })},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.sheet));
        EstimateDocument doc;
        TextGrid& grid = doc.Grid(c.sheet);
        for (const Column& cell : c.cells) grid.SetCell(4, cell.col, cell.text);
        LineRecord r;
        RowToRecord(grid, 4, c.sheet, r);
        EXPECT_EQ(r.Bytes(), c.expected.Bytes());

        TextGrid back(grid.RowCount(), grid.ColCount());
        RecordToRow(r, c.sheet, back, 2);
        for (const Column& cell : c.cells) EXPECT_EQ(back.Cell(2, cell.col), cell.text);
    }
}

TEST(EstimateDocument, RowToRecordKeepsUnshownFieldsAndZeroesBreakdownCost) {
    LineRecord r;
    r.SetSpec("from the file");
    r.SetUnitPrice(Fixed4::FromInt(12));
    r.SetCost(Fixed4::FromInt(99));
    r.SetLabourRate(Fixed4::FromInt(3));
    EstimateDocument doc;
    doc.Grid(SheetKind::Breakdown).SetCell(1, 6, "1,500");
    doc.Grid(SheetKind::Breakdown).SetCell(1, 9, "4.5");  // the days, in the labour-rate field
    RowToRecord(doc.Grid(SheetKind::Breakdown), 1, SheetKind::Breakdown, r);
    EXPECT_EQ(r.Spec(), "from the file");
    EXPECT_EQ(r.UnitPrice(), Fixed4::FromInt(12));
    EXPECT_EQ(r.WorkDays(), Fixed4::FromRaw(45000));
    EXPECT_EQ(r.Cost(), Fixed4{});
    EXPECT_EQ(r.Amount().raw, 15000000);
    EXPECT_EQ(r.Quantity(), Fixed4{});  // blank cell
}

TEST(EstimateDocument, DetailSheetGoesToTheStoreAndBack) {
    EstimateDocument doc;
    doc.Stores().details.MutableLine(2, 1).SetName("old line");
    doc.Stores().details.MutableLine(2, 6).SetSpec("old tail");
    doc.LoadDetailSheet(2);
    EXPECT_EQ(doc.DetailSheetRow(), 2);
    TextGrid& detail = doc.Grid(SheetKind::Detail);
    EXPECT_EQ(detail.Cell(1, 3), "old line");
    EXPECT_EQ(detail.Cell(1, 8), "0");
    EXPECT_EQ(detail.Cell(6, 4), "old tail");
    EXPECT_EQ(detail.Cell(2, 3), "");  // an empty stored line is not shown

    detail.ClearRow(6);
    detail.SetCell(3, 5, Sjis("㎡"));  // a unit alone keeps the row
    detail.SetCell(4, 11, "remarks");  // remarks alone do not
    detail.SetCell(5, 8, "1,000");     // an amount keeps the row but counts no line
    doc.StoreDetailSheet();

    EXPECT_EQ(doc.DetailSheetRow(), 0);
    const DetailStore& store = doc.Stores().details;
    EXPECT_EQ(store.Line(2, 1).Name(), "old line");
    EXPECT_EQ(store.Line(2, 3).Unit(), Sjis("㎡"));
    EXPECT_TRUE(store.Line(2, 4).IsZero());
    EXPECT_EQ(store.Line(2, 5).Amount().raw, 10000000);
    EXPECT_TRUE(store.Line(2, 6).IsZero());
    EXPECT_EQ(doc.Stores().breakdown[2].DetailCount(), 3);
    // The breakdown line has no name but now has details.
    EXPECT_EQ(doc.Grid(SheetKind::Breakdown).Cell(2, 2), Sjis("(未)"));

    // Storing again without a loaded sheet changes nothing.
    detail.SetCell(1, 3, "changed");
    doc.StoreDetailSheet();
    EXPECT_EQ(store.Line(2, 1).Name(), "old line");
}

// A sheet stored back as it was is not written: it stays shared with whatever keeps it (the
// undo history, a snapshot), and its stamp tells them nothing changed.
TEST(EstimateDocument, ASheetStoredBackUnchangedIsNotWritten) {
    EstimateDocument doc;
    const DetailStore& store = doc.Stores().details;
    TextGrid& detail = doc.Grid(SheetKind::Detail);
    doc.LoadDetailSheet(2);
    detail.SetCell(1, 3, "line");
    detail.SetCell(2, 5, "m");
    doc.StoreDetailSheet();
    const std::uint64_t stamp = store.SheetStamp(2);
    doc.LoadDetailSheet(2);
    doc.StoreDetailSheet();
    EXPECT_EQ(store.SheetStamp(2), stamp);

    doc.LoadDetailSheet(2);
    detail.SetCell(2, 3, "named");
    doc.StoreDetailSheet();
    EXPECT_NE(store.SheetStamp(2), stamp);
    EXPECT_EQ(store.Line(2, 2).Name(), "named");
}

TEST(EstimateDocument, NamedBreakdownLineKeepsItsNumberCell) {
    EstimateDocument doc;
    doc.Grid(SheetKind::Breakdown).SetCell(3, 2, "7");
    doc.Grid(SheetKind::Breakdown).SetCell(3, 3, "name");
    doc.LoadDetailSheet(3);
    doc.Grid(SheetKind::Detail).SetCell(1, 3, "product");
    doc.StoreDetailSheet();
    EXPECT_EQ(doc.Grid(SheetKind::Breakdown).Cell(3, 2), "7");
}

TEST(EstimateDocument, CalculationStepsAreCalledAtTheirMoments) {
    struct Recorder : EstimateCalculations {
        std::vector<std::string> calls;
        void DetailSheetLoaded(EstimateDocument&, int row) override {
            calls.push_back("loaded " + std::to_string(row));
        }
        void DetailSheetStored(EstimateDocument& doc, int row) override {
            calls.push_back("stored " + std::to_string(row));
            doc.Stores().breakdown[static_cast<std::size_t>(row)].SetAmount(Fixed4::FromInt(42));
        }
        void BeforeSave(EstimateDocument&) override { calls.push_back("before save"); }
    } recorder;
    EstimateDocument doc;
    doc.SetCalculations(&recorder);
    doc.LoadDetailSheet(5);
    // A sheet hands its totals over only when it has lines (or had them).
    doc.Grid(SheetKind::Detail).SetCell(1, 3, "pipe");
    doc.PrepareForSave();
    doc.PrepareForSave();
    EXPECT_EQ(recorder.calls,
              (std::vector<std::string>{"loaded 5", "stored 5", "before save", "before save"}));
    EXPECT_EQ(doc.Stores().breakdown[5].Amount(), Fixed4::FromInt(42));
    doc.SetCalculations(nullptr);
    doc.PrepareForSave();
    EXPECT_EQ(recorder.calls.size(), 4u);
}

TEST(EstimateDocument, CoverByControlName) {
    EstimateDocument doc;
    EXPECT_TRUE(doc.SetCoverText("MName1", "customer"));
    EXPECT_TRUE(doc.SetCoverText("MBiko10", "note 10"));
    EXPECT_TRUE(doc.SetCoverText("MGoukei13", "5"));
    EXPECT_TRUE(doc.SetCoverText("ZRitu", "8"));
    EXPECT_FALSE(doc.SetCoverText("MName3", "x"));
    EXPECT_EQ(doc.Text(HeaderText::MName1), "customer");
    EXPECT_EQ(doc.Text(HeaderText::MBiko10), "note 10");
    EXPECT_EQ(doc.Figure(HeaderFigure::MGoukei13), "5");
    EXPECT_EQ(doc.CoverText("ZRitu"), "8");
    EXPECT_EQ(doc.CoverText("CheckBox1"), std::nullopt);

    EXPECT_EQ(EstimateDocument::CoverMaxBytes("MName1"), 40);
    EXPECT_EQ(EstimateDocument::CoverMaxBytes("MBasyo1"), 60);
    EXPECT_EQ(EstimateDocument::CoverMaxBytes("MBiko9"), 30);
    EXPECT_EQ(EstimateDocument::CoverMaxBytes("ZRitu"), 2);
    EXPECT_EQ(EstimateDocument::CoverMaxBytes("nothing"), 0);

    EXPECT_FALSE(doc.HasRequiredFields());
    doc.SetText(HeaderText::MTitle1, "  ");
    EXPECT_FALSE(doc.HasRequiredFields());
    doc.SetText(HeaderText::MTitle1, "title");
    EXPECT_TRUE(doc.HasRequiredFields());
}

TEST(EstimateDocument, PatternIndexLivesInTheHeader) {
    EstimateDocument doc;
    doc.SetPatternIndex(2);
    EXPECT_EQ(doc.Header().PatternValue().raw, 20000);
    EXPECT_EQ(doc.PatternIndex(), 2);
    doc.Header().SetPatternValue(Fixed4::FromInt(3));
    EXPECT_EQ(doc.PatternIndex(), 0);
    doc.Header().SetPatternValue(Fixed4::FromRaw(-1));
    EXPECT_EQ(doc.PatternIndex(), 0);
}

}  // namespace
}  // namespace quilto
