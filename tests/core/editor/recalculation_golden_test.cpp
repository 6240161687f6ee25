// The full recalculation of a large, awkward estimate pinned to fingerprints of everything
// it leaves behind: every grid text, every line record byte and the header figures. Any
// change to what the calculation writes, however small, changes a fingerprint; a speed-up
// must leave them all as they are.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/editor/estimate_calculator.h"
#include "core/editor/estimate_document.h"

namespace quilto {
namespace {

// A fixed pseudo-random sequence, the same on every platform.
class Sequence {
  public:
    std::uint32_t Next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(state_ >> 33);
    }
    template <typename T>
    const T& Pick(const std::vector<T>& from) {
        return from[Next() % from.size()];
    }
    bool Chance(int percent) { return static_cast<int>(Next() % 100) < percent; }

  private:
    std::uint64_t state_ = 20261210;
};

// Numbers as users type them, with the malformed and the too wide among them. Products
// and sums stay within the Fixed4 range.
const std::vector<std::string> kNumbers = {"",
                                           "",
                                           "",
                                           "-",
                                           " - ",
                                           "0",
                                           "1",
                                           "2.5",
                                           "1,250",
                                           "-3",
                                           "0.0001",
                                           "123456",
                                           "999999.9999",
                                           "abc",
                                           " 7 ",
                                           "1.23456",
                                           "3.",
                                           ".5",
                                           "+4",
                                           "\x82\x50\x82\x51",  // full-width 12
                                           "-0.5",
                                           "1,2,3",
                                           "800",
                                           "0.125",
                                           "1e3",
                                           "100000"};
const std::vector<std::string> kMarkers = {"",  "",   "",  "",  "000123", "*",  "=",
                                           "/", "\\", "-", "%", " = ",    "x1", "  "};
const std::vector<std::string> kTexts = {
    "",
    "",
    "pipe 20A",
    "  ",
    "\x8D\x48\x8E\x96",  // 工事
    "valve",
    "a name that is far longer than the forty bytes any field can hold",
    "trailing   ",
    "(\x96\xA2)"};

void FillRow(TextGrid& grid, int row, Sequence& random) {
    grid.SetCell(row, 1, random.Pick(kMarkers));
    for (int col = 2; col < grid.ColCount(); ++col) {
        const bool text = col == 3 || col == 4;
        grid.SetCell(row, col, text ? random.Pick(kTexts) : random.Pick(kNumbers));
    }
}

std::uint64_t Mix(std::uint64_t hash, const std::string& bytes) {
    for (unsigned char b : bytes) hash = (hash ^ b) * 1099511628211ULL;
    return (hash ^ 0xFF) * 1099511628211ULL;  // ends each text so "ab","c" != "a","bc"
}

std::uint64_t GridPrint(const TextGrid& grid) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (int row = 0; row < grid.RowCount(); ++row)
        for (int col = 0; col < grid.ColCount(); ++col) hash = Mix(hash, grid.Cell(row, col));
    return hash;
}

std::uint64_t RecordsPrint(const std::vector<LineRecord>& records) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const LineRecord& r : records) hash = Mix(hash, r.Bytes());
    return hash;
}

std::uint64_t DetailRecordsPrint(const DetailStore& details) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (int sheet = 0; sheet <= kBreakdownLines + 1; ++sheet) {
        hash = Mix(hash, details.HasSheet(sheet) ? "sheet" : "none");
        for (int line = 0; line <= kDetailLines + 1; ++line)
            hash = Mix(hash, details.Line(sheet, line).Bytes());
    }
    return hash;
}

struct Prints {
    std::uint64_t breakdown, detail, summary, breakdownRecords, summaryRecords, detailRecords,
        figures;
};

Prints PrintsOf(const EstimateDocument& d) {
    std::uint64_t figures = 14695981039346656037ULL;
    for (HeaderFigure f : {HeaderFigure::MGoukei01, HeaderFigure::MGoukei11,
                           HeaderFigure::MGoukei12, HeaderFigure::MGoukei13})
        figures = Mix(figures, d.Figure(f));
    return {GridPrint(d.Grid(SheetKind::Breakdown)),
            GridPrint(d.Grid(SheetKind::Detail)),
            GridPrint(d.Grid(SheetKind::Summary)),
            RecordsPrint(d.Stores().breakdown),
            RecordsPrint(d.Stores().summary),
            DetailRecordsPrint(d.Stores().details),
            figures};
}

void ExpectPrints(const Prints& actual, const Prints& expected) {
    EXPECT_EQ(actual.breakdown, expected.breakdown) << "breakdown grid";
    EXPECT_EQ(actual.detail, expected.detail) << "detail grid";
    EXPECT_EQ(actual.summary, expected.summary) << "summary grid";
    EXPECT_EQ(actual.breakdownRecords, expected.breakdownRecords) << "breakdown records";
    EXPECT_EQ(actual.summaryRecords, expected.summaryRecords) << "summary records";
    EXPECT_EQ(actual.detailRecords, expected.detailRecords) << "detail records";
    EXPECT_EQ(actual.figures, expected.figures) << "header figures";
}

// 120 breakdown lines, most with a detail sheet of random length; half the sheets are
// stored without calculating, so the records hold figures no calculation has seen yet.
struct AwkwardEstimate {
    AwkwardEstimate() {
        CalculationSettings s;
        s.subtotalCaption = "SUB";
        s.totalCaption = "TOTAL";
        s.taxCaption = "TAX";
        s.grandTotalCaption = "GRAND";
        s.discountCaption = "DISC";
        s.amountRounding = 1;
        s.taxRounding = 2;
        s.quantityDecimals = 2;
        calculator.SetSettings(s);
        d.SetTaxRateText("8");
        Sequence random;
        TextGrid& summary = d.Grid(SheetKind::Summary);
        for (int row = 1; row <= 400; ++row)
            if (random.Chance(85)) FillRow(summary, row, random);
        TextGrid& breakdown = d.Grid(SheetKind::Breakdown);
        for (int line = 1; line <= 120; ++line) {
            if (random.Chance(90)) FillRow(breakdown, line, random);
            if (random.Chance(20)) continue;
            d.SetCalculations(random.Chance(50) ? &calculator : nullptr);
            d.LoadDetailSheet(line);
            const int rows = static_cast<int>(random.Next() % kDetailLines) + 1;
            for (int row = 1; row <= rows; ++row)
                if (random.Chance(80)) FillRow(d.Grid(SheetKind::Detail), row, random);
            d.StoreDetailSheet();
        }
        d.SetCalculations(&calculator);
        d.LoadDetailSheet(7);  // a sheet open in the editor while everything recalculates
    }
    ~AwkwardEstimate() { d.SetCalculations(nullptr); }

    EstimateCalculator calculator;
    EstimateDocument d;
};

// Lines without detail lines keep the figures typed on them (only sheets with lines are
// stored again).
TEST(RecalculationGolden, EveryTextAndRecordStaysAsItWas) {
    AwkwardEstimate e;
    e.calculator.RecalculateAll(e.d);
    ExpectPrints(PrintsOf(e.d),
                 {18023332023238601251ULL, 12077832635883870150ULL, 1419576488934147203ULL,
                  7366738586556274123ULL, 1295738218599964123ULL, 7398447534750877958ULL,
                  16374162808654272242ULL});

    // Again with the summary supplying the totals and the other roundings: a second pass
    // over figures it wrote.
    CalculationSettings s = e.calculator.Settings();
    s.amountRounding = 0;
    s.taxRounding = 0;
    s.quantityDecimals = 1;
    e.calculator.SetSettings(s);
    e.d.SetCheckBox1(true);
    e.calculator.RecalculateAll(e.d);
    ExpectPrints(PrintsOf(e.d),
                 {337792162413547813ULL, 21608925848494985ULL, 9692704219236494638ULL,
                  2976675611938349882ULL, 1295738218599964123ULL, 10912340918732543304ULL,
                  16934237268140491045ULL});
}

}  // namespace
}  // namespace quilto
