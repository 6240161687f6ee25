#include "core/editor/sheet_calculation.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/editor/line_kind.h"
#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"

namespace quilto {
namespace {

using Row = std::vector<std::string>;  // cells from column 1 on

TextGrid SheetOf(SheetKind sheet, const std::vector<Row>& rows) {
    const SheetColumns& c = ColumnsOf(sheet);
    TextGrid grid(c.rowCount, c.colCount);
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t i = 0; i < rows[r].size(); ++i)
            grid.SetCell(static_cast<int>(r) + 1, static_cast<int>(i) + 1, rows[r][i]);
    return grid;
}

CalculationSettings Settings(int amountRounding = 0, int taxRounding = 0, std::string rate = "10") {
    CalculationSettings s;
    s.amountRounding = amountRounding;
    s.taxRounding = taxRounding;
    s.subtotalCaption = "SUBTOTAL";
    s.discountCaption = "DISCOUNT";
    s.totalCaption = "TOTAL";
    s.taxCaption = "TAX";
    s.grandTotalCaption = "GRAND";
    s.taxRateText = std::move(rate);
    return s;
}

std::string Cell(const TextGrid& g, int row, int col) { return Trimmed(g.Cell(row, col)); }

// Summary columns: 1 marker, 2 no, 3 name, 4 unit, 5 qty, 6 price, 7 amount, 8 cost price,
// 9 cost, 10 remarks.
TEST(SheetCalculation, SummaryAmountIsRoundedWithTheAmountRounding) {
    struct Case {
        const char* quantity;
        const char* price;
        int mode;
        const char* amount;
    } cases[] = {
        {"3", "1,000", 0, "3,000"}, {"2.5", "333", 0, "833"},   {"2.5", "333", 1, "832"},
        {"2.5", "333", 2, "833"},   {"-2.5", "333", 0, "-833"},
    };
    for (const Case& k : cases) {
        TextGrid g = SheetOf(SheetKind::Summary, {{"", "", "work", "m", k.quantity, k.price}});
        const SheetTotals t = CalculateSheet(g, SheetKind::Summary, Settings(k.mode));
        EXPECT_EQ(Cell(g, 1, 7), k.amount) << k.quantity << " x " << k.price << " mode " << k.mode;
        EXPECT_EQ(g.Cell(1, 7).size(), 14u) << "amount is right-aligned in its 14 bytes";
        EXPECT_EQ(Fixed4ToText(t.estimateAmount), CleanNumber(k.amount));
    }
}

TEST(SheetCalculation, TaxIsRoundedByItsFirstDroppedDigitOnly) {
    struct Case {
        const char* rate;
        int mode;
        const char* tax;
    } cases[] = {{"5", 2, "50"}, {"8", 2, "80"}, {"5", 0, "50"}, {"10", 0, "100"}};
    for (const Case& k : cases) {
        TextGrid g = SheetOf(SheetKind::Breakdown,
                             {{"", "", "work", "", "1", "1,001"}, {"/"}, {"%"}, {"\\"}});
        CalculateSheet(g, SheetKind::Breakdown, Settings(0, k.mode, k.rate));
        EXPECT_EQ(Cell(g, 3, 6), k.tax) << "rate " << k.rate << " mode " << k.mode;
    }
}

// The worked example: 1,000 and 2,000, subtotal, discount 500, total, 5 % tax truncated,
// grand total; the same in the breakdown (amount column 6) and the summary (column 7).
TEST(SheetCalculation, SubtotalDiscountTotalTaxGrandTotal) {
    for (SheetKind sheet : {SheetKind::Breakdown, SheetKind::Summary}) {
        const int amount = ColumnsOf(sheet).amount;
        const int cost = ColumnsOf(sheet).cost;
        Row first(static_cast<std::size_t>(cost), "");
        first[2] = "a";
        first[4] = "1";
        first[static_cast<std::size_t>(amount - 1)] = "1,000";
        first[static_cast<std::size_t>(cost - 1)] = "800";
        Row second = first;
        second[static_cast<std::size_t>(amount - 1)] = "2000";
        second[static_cast<std::size_t>(cost - 1)] = "900";
        Row discount(static_cast<std::size_t>(amount), "");
        discount[0] = "-";
        discount[static_cast<std::size_t>(amount - 1)] = "500";
        TextGrid g = SheetOf(sheet, {first, second, {"="}, discount, {"/"}, {"%"}, {"\\"}});
        const SheetTotals t = CalculateSheet(g, sheet, Settings(0, 1, "5"));

        EXPECT_EQ(Cell(g, 3, amount), "3,000");
        EXPECT_EQ(Cell(g, 3, cost), "1,700");
        EXPECT_EQ(Cell(g, 3, 3), "SUBTOTAL");
        EXPECT_EQ(Cell(g, 4, amount), "500");
        EXPECT_EQ(Cell(g, 4, 3), "DISCOUNT");
        EXPECT_EQ(Cell(g, 4, cost), "");
        EXPECT_EQ(Cell(g, 5, amount), "2,500");
        EXPECT_EQ(Cell(g, 5, cost), "1,700");
        EXPECT_EQ(Cell(g, 6, amount), "125");
        EXPECT_EQ(Cell(g, 7, amount), "2,625");
        EXPECT_EQ(Cell(g, 7, cost), "");

        const HeaderFigures h = HeaderFiguresOf(t);
        EXPECT_EQ(h.MGoukei01, "         2,625");
        EXPECT_EQ(Trimmed(h.MGoukei11), "2,500");
        EXPECT_EQ(Trimmed(h.MGoukei12), "1,700");
        EXPECT_EQ(Trimmed(h.MGoukei13), "800") << "gross margin ignores discounts on the cost side";
    }
}

TEST(SheetCalculation, WithoutTotalLineTheTaxIsZeroAndTheTotalIsTheEstimate) {
    TextGrid g = SheetOf(SheetKind::Breakdown, {{"", "", "a", "", "1", "1000"}, {"%"}, {"\\"}});
    const HeaderFigures h = HeaderFiguresOf(CalculateSheet(g, SheetKind::Breakdown, Settings()));
    EXPECT_EQ(Cell(g, 2, 6), "0");
    EXPECT_EQ(Cell(g, 3, 6), "1,000") << "grand total before any tax";
    EXPECT_EQ(h.MGoukei11, h.MGoukei01);
}

TEST(SheetCalculation, TaxLineBeforeTotalFindsNoBaseAndGrandTotalBeforeTaxHasNoTax) {
    TextGrid g =
        SheetOf(SheetKind::Summary, {{"", "", "a", "", "1", "1000"}, {"%"}, {"/"}, {"\\"}, {"%"}});
    CalculateSheet(g, SheetKind::Summary, Settings(0, 0, "10"));
    EXPECT_EQ(Cell(g, 2, 7), "0");
    EXPECT_EQ(Cell(g, 4, 7), "1,000");
    EXPECT_EQ(Cell(g, 5, 7), "100");
}

TEST(SheetCalculation, TypedCostSurvivesWithoutCostUnitPrice) {
    for (const char* costPrice : {"", "0", " - "}) {
        TextGrid g =
            SheetOf(SheetKind::Summary, {{"", "", "a", "", "2", "100", "", costPrice, "750"}});
        CalculateSheet(g, SheetKind::Summary, Settings());
        EXPECT_EQ(Cell(g, 1, 9), "750") << "cost unit price '" << costPrice << "'";
    }
    TextGrid g = SheetOf(SheetKind::Summary, {{"", "", "a", "", "2", "100", "", "30", "750"}});
    CalculateSheet(g, SheetKind::Summary, Settings());
    EXPECT_EQ(Cell(g, 1, 9), "60");
}

TEST(SheetCalculation, DashCellsAreEmptiedAndZerosBlankWithoutQuantity) {
    TextGrid g = SheetOf(SheetKind::Summary, {{"", "", "heading", "", "-", "-", "-", "-", "-"},
                                              {"", "", "typed", "", "", "", "1200"}});
    CalculateSheet(g, SheetKind::Summary, Settings());
    for (int col = 5; col <= 9; ++col) EXPECT_EQ(g.Cell(1, col), "") << "column " << col;
    EXPECT_EQ(Cell(g, 2, 7), "1,200") << "a typed amount without quantity stands";
    EXPECT_EQ(g.Cell(2, 6), "");
}

TEST(SheetCalculation, QuantityDecimalsFollowTheSetting) {
    TextGrid g = SheetOf(SheetKind::Summary, {{"", "", "a", "", "1.25", "100"}});
    CalculationSettings s = Settings();
    CalculateSheet(g, SheetKind::Summary, s);
    EXPECT_EQ(g.Cell(1, 5), "    1.3");
    g.SetCell(1, 5, "1.25");
    s.quantityDecimals = 2;
    CalculateSheet(g, SheetKind::Summary, s);
    EXPECT_EQ(g.Cell(1, 5), "   1.25");
}

// Detail columns: 6 qty, 7 price, 8 amount, 9 cost price, 10 cost, 11 remarks, 12 labour
// rate, 13 labour amount.
TEST(SheetCalculation, DetailSheetLabourAndTaxLine) {
    TextGrid g =
        SheetOf(SheetKind::Detail,
                {{"000001", "", "pipe", "20A", "m", "3", "1,500", "", "1,000", "", "", "0.5"},
                 {"%", "", "tax?", "", "", "", "", "99"},
                 {"="},
                 {"-", "", "", "", "", "", "", "500"}});
    const SheetTotals t = CalculateSheet(g, SheetKind::Detail, Settings());
    EXPECT_EQ(Cell(g, 1, 8), "4,500");
    EXPECT_EQ(Cell(g, 1, 10), "3,000");
    EXPECT_EQ(Cell(g, 1, 13), "1.500");
    EXPECT_EQ(Cell(g, 2, 1), "") << "a tax line has no place in a detail sheet";
    EXPECT_EQ(Cell(g, 2, 3), "");
    EXPECT_EQ(Cell(g, 2, 8), "");
    EXPECT_EQ(Cell(g, 3, 8), "4,500");
    EXPECT_EQ(Cell(g, 3, 12), "1.500");
    EXPECT_EQ(Cell(g, 3, 13), "1.500");
    EXPECT_EQ(Cell(g, 4, 6), "1.0") << "a detail discount carries quantity 1";
    const DetailFigures d = DetailFiguresOf(t);
    EXPECT_EQ(Trimmed(d.MGoukei21), "4,000");
    EXPECT_EQ(Trimmed(d.MGoukei22), "3,000");
}

TEST(SheetCalculation, FiguresTooWideForTheColumnAreNeverShownAsZero) {
    TextGrid g = SheetOf(SheetKind::Detail, {{"000001", "", "x", "", "", "1000", "9,999,999"}});
    const SheetTotals t = CalculateSheet(g, SheetKind::Detail, Settings());
    EXPECT_EQ(t.estimateAmount, Fixed4::FromInt(9'999'999'000));
    EXPECT_EQ(CleanNumber(g.Cell(1, 8)), "9999999000");
    CalculateSheet(g, SheetKind::Detail, Settings());
    EXPECT_EQ(CleanNumber(g.Cell(1, 8)), "9999999000") << "stable on recalculation";
}

// Figures past the fixed-point range (922,337,203,685,477.5807) are capped by the arithmetic;
// the calculation names the first row where that happened, so nothing capped is saved.
TEST(SheetCalculation, NamesTheFirstRowWhoseFiguresRunPastTheRange) {
    const std::string big = "99,999,999,999,999";  // the widest amount a summary cell takes
    struct Case {
        const char* what;
        SheetKind sheet;
        std::vector<Row> rows;
        int overflowRow;
    };
    std::vector<Row> manyBig(10, Row{"", "", "x", "", "", "", big});
    std::vector<Row> manyBigThenTotal = manyBig;
    manyBigThenTotal.insert(manyBigThenTotal.begin(), Row{"", "", "fine", "", "1", "1"});
    const std::vector<Case> cases = {
        {"quantity x unit price",
         SheetKind::Detail,
         {{"000001", "", "a", "", "", "1", "1"},
          {"000001", "", "b", "", "", "9999999", "999999999999"}},
         2},
        {"cost",
         SheetKind::Detail,
         {{"000001", "", "a", "", "", "9999999", "", "", "999999999999"}},
         1},
        {"labour",
         SheetKind::Detail,
         {{"000001", "", "a", "", "", "9999999", "", "", "", "", "", "9999999999"}},
         1},
        {"running sum", SheetKind::Summary, manyBig, 10},
        {"the sum before the first row that overflows", SheetKind::Summary, manyBigThenTotal, 11},
        {"every figure in range",
         SheetKind::Summary,
         {{"", "", "x", "", "", "", big}, {"/"}, {"%"}, {"\\"}},
         0},
    };
    for (const Case& c : cases) {
        TextGrid g = SheetOf(c.sheet, c.rows);
        EXPECT_EQ(CalculateSheet(g, c.sheet, Settings()).overflowRow, c.overflowRow) << c.what;
    }

    // A tax in range that pushes the estimate amount past it.
    std::vector<Row> rows(9, Row{"", "", "x", "", "", "", big});
    rows.push_back({"/"});
    rows.push_back({"%"});
    rows.push_back({"\\"});
    TextGrid g = SheetOf(SheetKind::Summary, rows);
    EXPECT_EQ(CalculateSheet(g, SheetKind::Summary, Settings(0, 0, "99")).overflowRow, 11);
}

// A sheet the calculation calls settled is a fixed point: calculating it again changes no
// cell and no total (the editor then skips the second calculation). Random detail and
// summary sheets, with figures that do and do not survive their display form.
TEST(SheetCalculation, ASettledSheetIsLeftAsItIsByTheNextCalculation) {
    std::mt19937 random(777);
    const char* const markers[] = {"", "000001", "*", "=", "/", "\\", "-", "%"};
    const char* const quantities[] = {"", "1", "2.5", "1.25", "-3", "-", "0"};
    const char* const prices[] = {"", "100", "1,250", "333.3", "0", "-"};
    const char* const labour[] = {"", "0.125", "0.1255"};
    int settled = 0, unsettled = 0;
    for (int sheetNo = 0; sheetNo < 2000; ++sheetNo) {
        const SheetKind sheet = sheetNo % 2 ? SheetKind::Summary : SheetKind::Detail;
        const SheetColumns& c = ColumnsOf(sheet);
        TextGrid g(c.rowCount, c.colCount);
        const int lineCount = 1 + static_cast<int>(random() % 8);
        for (int row = 1; row <= lineCount; ++row) {
            auto pick = [&random](const auto& list) { return list[random() % std::size(list)]; };
            g.SetCell(row, 1, pick(markers));
            if (random() % 3 != 0) g.SetCell(row, 3, "name");
            g.SetCell(row, c.quantity, pick(quantities));
            g.SetCell(row, c.unitPrice, pick(prices));
            g.SetCell(row, c.amount, pick(prices));
            g.SetCell(row, c.costUnitPrice, pick(prices));
            g.SetCell(row, c.cost, pick(prices));
            if (sheet == SheetKind::Detail) g.SetCell(row, c.labourRate, pick(labour));
        }
        const CalculationSettings settings = Settings(static_cast<int>(random() % 3));
        const SheetTotals first = CalculateSheet(g, sheet, settings);
        if (!first.settled) {
            ++unsettled;
            continue;
        }
        ++settled;
        TextGrid again = g;
        const SheetTotals second = CalculateSheet(again, sheet, settings);
        ASSERT_EQ(second.estimateAmount, first.estimateAmount) << "sheet " << sheetNo;
        ASSERT_EQ(second.taxBase, first.taxBase) << "sheet " << sheetNo;
        ASSERT_EQ(second.costTotal, first.costTotal) << "sheet " << sheetNo;
        ASSERT_EQ(second.lastUsedRow, first.lastUsedRow) << "sheet " << sheetNo;
        for (int row = 1; row <= lineCount; ++row)
            for (int col = 1; col < c.colCount; ++col)
                ASSERT_EQ(again.Cell(row, col), g.Cell(row, col))
                    << "sheet " << sheetNo << " row " << row << " col " << col;
    }
    // Both kinds occur, so the property is tested, not assumed.
    EXPECT_GT(settled, 100);
    EXPECT_GT(unsettled, 100);

    // 1.25 is shown as 1.3: the next calculation works from 1.3, so the sheet is not settled.
    TextGrid g = SheetOf(SheetKind::Detail, {{"000001", "", "x", "", "", "1.25", "100"}});
    EXPECT_FALSE(CalculateSheet(g, SheetKind::Detail, Settings()).settled);
    EXPECT_TRUE(CalculateSheet(g, SheetKind::Detail, Settings()).settled);
}

// Recalculating a calculated sheet in the store writes nothing, so the sheet stays shared
// with the undo history and a snapshot being written; a sheet whose figures change is
// written.
TEST(SheetCalculation, ACalculatedSheetInTheStoreIsNotWrittenAgain) {
    DetailStore store;
    LineRecord& line = store.MutableLine(5, 1);
    line.SetName("paint");
    line.SetQuantity(Fixed4::FromInt(3));
    line.SetUnitPrice(Fixed4::FromInt(1200));
    store.MutableLine(5, 2).SetName("brushes");
    const std::uint64_t typed = store.SheetStamp(5);
    const SheetTotals first = CalculateDetailRecords(store, 5, Settings());
    EXPECT_NE(store.SheetStamp(5), typed);
    EXPECT_EQ(store.Line(5, 1).Amount().raw, Fixed4::FromInt(3600).raw);

    const std::uint64_t calculated = store.SheetStamp(5);
    const SheetTotals second = CalculateDetailRecords(store, 5, Settings());
    EXPECT_EQ(store.SheetStamp(5), calculated);
    EXPECT_EQ(second.estimateAmount, first.estimateAmount);
    EXPECT_EQ(second.costTotal, first.costTotal);
}

// A reference model of the running sums, independent of the grid code: it sees each line
// as (kind, amount, cost) and must agree with the calculation on every generated sheet.
struct ModelLine {
    LineKind kind;
    long long amount;  // whole units; for discounts the discount
    long long cost;
};

struct ModelResult {
    long long estimate = 0, taxBase = 0, costTotal = 0;
    std::vector<long long> shown;  // amount shown per line
};

ModelResult Model(const std::vector<ModelLine>& lines, long long ratePercent) {
    ModelResult r;
    long long sub = 0, section = 0, grand = 0, tax = 0;
    for (const ModelLine& l : lines) {
        long long shown = l.amount;
        switch (l.kind) {
            case LineKind::Syokei:
                shown = sub;
                sub = 0;
                break;
            case LineKind::Nakakei:
                shown = r.taxBase = section;
                sub = section = 0;
                break;
            case LineKind::Goukei:
                shown = grand + tax;
                grand = section = sub = 0;
                break;
            case LineKind::Nebiki:
                sub -= l.amount;
                section -= l.amount;
                grand -= l.amount;
                r.estimate -= l.amount;
                break;
            case LineKind::Zei:
                shown = tax = r.taxBase * ratePercent / 100;  // truncation, positive bases
                r.estimate += tax;
                break;
            default:
                sub += l.amount;
                section += l.amount;
                grand += l.amount;
                r.estimate += l.amount;
                r.costTotal += l.cost;
        }
        r.shown.push_back(shown);
    }
    return r;
}

TEST(SheetCalculation, AgreesWithAReferenceModelOnRandomSheets) {
    std::mt19937 random(20261210);
    const LineKind kinds[] = {LineKind::Empty,  LineKind::Ordinary, LineKind::Starred,
                              LineKind::Syokei, LineKind::Nakakei,  LineKind::Goukei,
                              LineKind::Nebiki, LineKind::Zei};
    for (int sheetNo = 0; sheetNo < 3000; ++sheetNo) {
        const SheetKind sheet = sheetNo % 2 ? SheetKind::Summary : SheetKind::Breakdown;
        const SheetColumns& c = ColumnsOf(sheet);
        const int lineCount = 1 + static_cast<int>(random() % 25);
        const long long rate = random() % 15;
        std::vector<ModelLine> lines;
        TextGrid g(c.rowCount, c.colCount);
        bool haveTotal = false, haveTax = false, haveGrand = false;
        for (int row = 1; row <= lineCount; ++row) {
            LineKind kind = kinds[random() % std::size(kinds)];
            if ((kind == LineKind::Nakakei && haveTotal) || (kind == LineKind::Zei && haveTax) ||
                (kind == LineKind::Goukei && haveGrand))
                kind = LineKind::Ordinary;
            haveTotal |= kind == LineKind::Nakakei;
            haveTax |= kind == LineKind::Zei;
            haveGrand |= kind == LineKind::Goukei;
            const long long quantity = 1 + static_cast<long long>(random() % 9);
            const long long price = static_cast<long long>(random() % 20000);
            const long long cost = static_cast<long long>(random() % 5000);
            ModelLine line{kind, 0, 0};
            g.SetCell(row, 1, MarkerOf(kind));
            if (kind == LineKind::Ordinary) g.SetCell(row, 1, "001");
            if (kind == LineKind::Starred) g.SetCell(row, 1, "*");
            g.SetCell(row, 3, "line " + std::to_string(row));
            if (!IsSpecialLine(kind)) {
                g.SetCell(row, c.quantity, std::to_string(quantity));
                if (sheet == SheetKind::Summary) {
                    g.SetCell(row, c.unitPrice, std::to_string(price));
                    line.amount = quantity * price;
                    g.SetCell(row, c.costUnitPrice, std::to_string(cost));
                    line.cost = cost == 0 ? 0 : quantity * cost;
                } else {
                    g.SetCell(row, c.amount, std::to_string(price));
                    g.SetCell(row, c.cost, std::to_string(cost));
                    line.amount = price;
                    line.cost = cost;
                }
            } else if (kind == LineKind::Nebiki) {
                line.amount = static_cast<long long>(random() % 3000);
                g.SetCell(row, c.amount, std::to_string(line.amount));
            }
            lines.push_back(line);
        }
        const ModelResult expected = Model(lines, rate);
        const SheetTotals t = CalculateSheet(g, sheet, Settings(1, 1, std::to_string(rate)));
        ASSERT_EQ(t.estimateAmount, Fixed4::FromInt(expected.estimate)) << "sheet " << sheetNo;
        ASSERT_EQ(t.taxBase, Fixed4::FromInt(expected.taxBase)) << "sheet " << sheetNo;
        ASSERT_EQ(t.costTotal, Fixed4::FromInt(expected.costTotal)) << "sheet " << sheetNo;
        for (int row = 1; row <= lineCount; ++row) {
            const std::string shown = CleanNumber(g.Cell(row, c.amount));
            const long long want = expected.shown[static_cast<std::size_t>(row - 1)];
            ASSERT_EQ(shown.empty() ? 0 : std::stoll(shown), want)
                << "sheet " << sheetNo << " row " << row;
        }
        // A second calculation reads its own display form back and changes nothing.
        TextGrid again = g;
        CalculateSheet(again, sheet, Settings(1, 1, std::to_string(rate)));
        for (int row = 1; row <= lineCount; ++row)
            for (int col = 1; col < c.colCount; ++col)
                ASSERT_EQ(again.Cell(row, col), g.Cell(row, col))
                    << "sheet " << sheetNo << " row " << row << " col " << col;
    }
}

}  // namespace
}  // namespace quilto
