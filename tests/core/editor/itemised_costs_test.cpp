// The itemised estimate: cost classes and days kept in the estimate file through load, edit
// and save, and each work type's amount split into its six classes.

#include "core/editor/itemised_costs.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/editor/breakdown_lines.h"
#include "core/editor/estimate_calculator.h"
#include "core/editor/estimate_io.h"
#include "core/editor/grid_operations.h"
#include "core/editor/welfare_line.h"
#include "core/foundation/fixed4_arithmetic.h"
#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"
#include "core/store/environment.h"
#include "core/store/own_settings.h"
#include "core/store/registration_number.h"
#include "support/scripted_questions.h"
#include "support/sjis.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::Sjis;
using test::Utf8;

Fixed4 Yen(std::int64_t yen) { return Fixed4::FromInt(yen); }

// 材 労 福 安 建 他, in yen.
ClassAmounts Classes(std::int64_t material, std::int64_t labour = 0, std::int64_t welfare = 0,
                     std::int64_t safety = 0, std::int64_t retirement = 0, std::int64_t other = 0) {
    return {Yen(material), Yen(labour), Yen(welfare), Yen(safety), Yen(retirement), Yen(other)};
}

LineRecord Detail(const std::string& code, const std::string& name, Fixed4 quantity,
                  Fixed4 unitPrice, std::uint8_t costClass, Fixed4 labourRate = {}) {
    LineRecord r;
    r.SetCode(code);
    r.SetName(name);
    r.SetQuantity(quantity);
    r.SetUnitPrice(unitPrice);
    r.SetAmount(Multiply(quantity, unitPrice));
    r.SetLabourRate(labourRate);
    r.SetCostClassByte(costClass);
    return r;
}

CostLine Line(LineKind kind, CostClass cls, Fixed4 amount, Fixed4 labourRate = {},
              Fixed4 quantity = {}) {
    CostLine line;
    line.kind = kind;
    line.costClass = cls;
    line.amount = amount;
    line.labourRate = labourRate;
    line.quantity = quantity;
    return line;
}

TEST(CostClass, StoredByteAndCellTextBothWays) {
    struct Case {
        std::uint8_t byte;
        CostClass cls;
        const char* cell;  // UTF-8
    } cases[] = {
        {0, CostClass::Unclassified, ""},   {1, CostClass::Material, "材"},
        {2, CostClass::Labour, "労"},       {3, CostClass::Welfare, "福"},
        {4, CostClass::Safety, "安"},       {5, CostClass::Retirement, "建"},
        {6, CostClass::Other, "他"},        {7, CostClass::Unclassified, ""},
        {255, CostClass::Unclassified, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CostClassOfByte(c.byte), c.cls) << int(c.byte);
        EXPECT_EQ(Utf8(CostClassCellText(c.cls)), c.cell) << int(c.byte);
        EXPECT_EQ(CostClassOfCellText(CostClassCellText(c.cls)), c.cls) << int(c.byte);
    }
    // What may be typed into the class column: a digit, a short or a full name.
    EXPECT_EQ(CostClassOfCellText("4"), CostClass::Safety);
    EXPECT_EQ(CostClassOfCellText(Sjis("建退共掛金")), CostClass::Retirement);
    EXPECT_EQ(CostClassOfCellText(" "), CostClass::Unclassified);
    EXPECT_EQ(CostClassOfCellText("7"), std::nullopt);
    EXPECT_EQ(CostClassOfCellText(Sjis("材料")), std::nullopt);
}

// ---- Kept through load, edit and save ----

class ItemisedFile : public ::testing::Test {
  protected:
    ItemisedFile() {
        document_.SetCalculations(&calculator_);
        document_.SetText(HeaderText::MNo, "000001");
    }
    ~ItemisedFile() override { document_.SetCalculations(nullptr); }

    void Write(EstimateHeader header, EstimateStores stores) {
        header.SetText(HeaderText::MNo, "000001");
        header.SetText(HeaderText::MName1, "c");
        header.SetText(HeaderText::MTitle1, "t");
        test::WriteAll(folder_.FilePath("DAT/m_000001.dat"), SerializeEstimate(header, stores));
    }
    EstimateStores ReadBack() {
        EstimateHeader header;
        EstimateStores stores;
        EXPECT_EQ(ReadEstimateFile(folder_.FilePath("DAT/m_000001.dat"), header, stores),
                  EstimateResult::kOk);
        return stores;
    }

    test::WorkingFolder folder_;
    Environment environment_;
    test::ScriptedQuestions questions_;
    EstimateCalculator calculator_;
    EstimateDocument document_;
};

TEST_F(ItemisedFile, ClassesAndDaysSurviveLoadInsertDeleteRecalculateAndSave) {
    EstimateStores stores;
    stores.breakdown[1].SetName(Sjis("基礎工事"));
    stores.breakdown[1].SetWorkDays(Fixed4::FromRaw(35000));  // 3.5 days
    stores.breakdown[2].SetName(Sjis("塗装工事"));
    stores.breakdown[2].SetWorkDays(Yen(2));
    stores.details.MutableLine(1, 1) = Detail("000001", "a", Yen(1), Yen(100), 1);
    stores.details.MutableLine(1, 2) = Detail("000002", "b", Yen(1), Yen(200), 2);
    stores.details.MutableLine(1, 3) = Detail("000003", "c", Yen(1), Yen(300), 0);
    stores.details.MutableLine(2, 1) = Detail("000004", "d", Yen(1), Yen(400), 6);
    Write({}, stores);

    ASSERT_EQ(LoadEstimate(document_, environment_), EstimateResult::kOk);
    TextGrid& breakdown = document_.Grid(SheetKind::Breakdown);
    EXPECT_EQ(breakdown.Cell(1, 9), "3.5");
    EXPECT_EQ(breakdown.Cell(3, 9), "") << "a line without days shows none";

    // The detail sheet on screen: a line inserted above the classed ones, classed itself.
    document_.LoadDetailSheet(1);
    TextGrid& detail = document_.Grid(SheetKind::Detail);
    EXPECT_EQ(Utf8(detail.Cell(2, 14)), "労");
    detail.SetCurrentRow(2);
    ASSERT_TRUE(InsertLine(detail));
    detail.SetCell(2, 3, "new");
    detail.SetCell(2, 14, Sjis("安"));
    document_.StoreDetailSheet();
    // A breakdown line inserted on top moves both lines, their days and their sheets down;
    // one deleted further down moves nothing that matters.
    breakdown.SetCurrentRow(1);
    ASSERT_TRUE(InsertBreakdownLine(document_));
    breakdown.SetCurrentRow(5);
    ASSERT_TRUE(DeleteBreakdownLine(document_));
    ASSERT_FALSE(calculator_.RecalculateAll(document_).has_value());
    document_.PrepareForSave();
    ASSERT_EQ(SaveEstimate(document_, environment_, questions_), EstimateResult::kOk);

    const EstimateStores saved = ReadBack();
    EXPECT_EQ(saved.breakdown[1].WorkDays(), Fixed4{});
    EXPECT_EQ(saved.breakdown[2].WorkDays(), Fixed4::FromRaw(35000));
    EXPECT_EQ(saved.breakdown[3].WorkDays(), Yen(2));
    const std::uint8_t expected[] = {1, 4, 2, 0};
    for (int line = 1; line <= 4; ++line)
        EXPECT_EQ(saved.details.Line(2, line).CostClassByte(), expected[line - 1]) << line;
    EXPECT_EQ(saved.details.Line(3, 1).CostClassByte(), 6);
}

TEST_F(ItemisedFile, AFileOfAnOlderProgramReadsUnclassifiedWithoutDays) {
    // Every unused byte zero, as a program that knows nothing of classes writes them.
    EstimateStores stores;
    stores.breakdown[1].SetName("work");
    stores.breakdown[1].SetAmount(Yen(300));
    stores.details.MutableLine(1, 1) = Detail("000001", "a", Yen(1), Yen(300), 0);
    Write({}, stores);
    ASSERT_EQ(LoadEstimate(document_, environment_), EstimateResult::kOk);
    calculator_.RecalculateAll(document_);

    const ItemisedEstimate itemised = ItemiseEstimate(document_, 0);
    ASSERT_EQ(itemised.rows.size(), 1u);
    EXPECT_EQ(itemised.rows[0].days, Fixed4{});
    EXPECT_EQ(itemised.rows[0].classes[0], Yen(300));
    EXPECT_EQ(itemised.rows[0].unclassified, Yen(300));
    document_.PrepareForSave();
    ASSERT_EQ(SaveEstimate(document_, environment_, questions_), EstimateResult::kOk);
    EXPECT_EQ(ReadBack().details.Line(1, 1).CostClassByte(), 0);
}

// ---- The split of one work type ----

TEST(SplitCostLines, LabourIsAlwaysLabourAndTheRestGoesToTheClass) {
    const Fixed4 rate = Fixed4::FromRaw(15000);  // 1.5 yen labour per unit
    struct Case {
        const char* what;
        CostLine line;
        int rounding;
        ClassAmounts classes;  // 材 労 福 安 建 他
        Fixed4 unclassified;
    } cases[] = {
        {"composite material",
         Line(LineKind::Ordinary, CostClass::Material, Yen(1000), Yen(150), Yen(4)),
         0,
         Classes(400, 600),
         {}},
        {"unclassified is material, reported",
         Line(LineKind::Empty, CostClass::Unclassified, Yen(1000), Yen(150), Yen(4)), 0,
         Classes(400, 600), Yen(400)},
        {"labour class takes it all",
         Line(LineKind::Ordinary, CostClass::Labour, Yen(1000), Yen(150), Yen(4)),
         0,
         Classes(0, 1000),
         {}},
        {"welfare",
         Line(LineKind::Starred, CostClass::Welfare, Yen(700)),
         0,
         Classes(0, 0, 700),
         {}},
        {"safety",
         Line(LineKind::Ordinary, CostClass::Safety, Yen(700)),
         0,
         Classes(0, 0, 0, 700),
         {}},
        {"retirement",
         Line(LineKind::Ordinary, CostClass::Retirement, Yen(700)),
         0,
         Classes(0, 0, 0, 0, 700),
         {}},
        {"other with labour",
         Line(LineKind::Ordinary, CostClass::Other, Yen(700), rate, Yen(3)),
         0,
         Classes(0, 5, 0, 0, 0, 695),
         {}},
        // 1.5 x 3 = 4.5: the labour is brought to whole yen as amounts are.
        {"labour truncated",
         Line(LineKind::Ordinary, CostClass::Other, Yen(700), rate, Yen(3)),
         1,
         Classes(0, 4, 0, 0, 0, 696),
         {}},
        {"negative line",
         Line(LineKind::Ordinary, CostClass::Material, Yen(-200)),
         0,
         Classes(-200),
         {}},
    };
    for (const Case& c : cases) {
        const WorkTypeCosts costs = SplitCostLines(std::span(&c.line, 1), c.rounding);
        EXPECT_EQ(costs.classes, c.classes) << c.what;
        EXPECT_EQ(costs.unclassified, c.unclassified) << c.what;
        EXPECT_EQ(SumOf(costs.classes), c.line.amount) << c.what << ": the classes add up";
        EXPECT_EQ(costs.discount, Fixed4{}) << c.what;
    }
}

TEST(SplitCostLines, DiscountsStayApartAndSumLinesCountForNothing) {
    const std::vector<CostLine> lines = {
        Line(LineKind::Ordinary, CostClass::Material, Yen(1000)),
        Line(LineKind::Syokei, CostClass::Material, Yen(1000)),
        Line(LineKind::Nebiki, CostClass::Unclassified, Yen(150)),
        Line(LineKind::Ordinary, CostClass::Safety, Yen(500)),
        Line(LineKind::Nakakei, CostClass::Unclassified, Yen(1350)),
        Line(LineKind::Goukei, CostClass::Unclassified, Yen(1350)),
        Line(LineKind::Nebiki, CostClass::Safety, Yen(50)),
    };
    const WorkTypeCosts costs = SplitCostLines(lines, 0);
    EXPECT_EQ(costs.classes, Classes(1000, 0, 0, 500));
    EXPECT_EQ(costs.discount, Yen(200));
}

// ---- The whole estimate ----

struct Estimate {
    Estimate() { document.SetCalculations(&calculator); }
    ~Estimate() { document.SetCalculations(nullptr); }
    void Breakdown(int row, const std::string& marker, const std::string& name,
                   const std::string& amount = {}, const std::string& days = {}) {
        TextGrid& g = document.Grid(SheetKind::Breakdown);
        g.SetCell(row, 1, marker);
        g.SetCell(row, 3, name);
        g.SetCell(row, 6, amount);
        g.SetCell(row, 9, days);
    }
    EstimateCalculator calculator;
    EstimateDocument document;
};

TEST(ItemiseEstimate, RowsFollowTheBreakdownWithDiscountsAsRowsOfTheirOwn) {
    Estimate e;
    e.document.SetTaxRateText("10");
    e.Breakdown(1, "", "found", "", "3");
    e.document.Stores().details.MutableLine(1, 1) =
        Detail("000001", "concrete", Yen(2), Yen(5000), 1, Yen(1000));  // 10,000: 2,000 labour
    e.document.Stores().details.MutableLine(1, 2) = Detail("000002", "crane", Yen(1), Yen(3000), 6);
    e.document.Stores().details.MutableLine(1, 3) = Detail("-", "cut", Yen(1), Yen(500), 0);
    e.Breakdown(2, "=", "");
    e.Breakdown(3, "", "typed", "4,000");  // no detail lines
    e.Breakdown(4, "-", "", "1,000");
    e.Breakdown(5, "/", "");
    e.Breakdown(6, "%", "");
    e.Breakdown(7, "\\", "");
    ASSERT_FALSE(e.calculator.RecalculateAll(e.document).has_value());

    const ItemisedEstimate it = ItemiseEstimate(e.document, 0);
    ASSERT_EQ(it.rows.size(), 4u);
    EXPECT_EQ(it.rows[0].kind, ItemisedRowKind::WorkType);
    EXPECT_EQ(it.rows[0].name, "found");
    EXPECT_EQ(it.rows[0].classes, Classes(8000, 2000, 0, 0, 0, 3000));
    EXPECT_EQ(it.rows[0].total, Yen(13000));
    EXPECT_EQ(it.rows[0].days, Yen(3));
    EXPECT_EQ(it.rows[1].kind, ItemisedRowKind::Discount);
    EXPECT_EQ(it.rows[1].breakdownRow, 1);
    EXPECT_EQ(it.rows[1].name, "cut");
    EXPECT_EQ(it.rows[1].total, Yen(-500));
    EXPECT_EQ(it.rows[2].name, "typed");
    EXPECT_EQ(it.rows[2].classes[0], Yen(4000));
    EXPECT_EQ(it.rows[2].unclassified, Yen(4000));
    EXPECT_EQ(it.rows[3].kind, ItemisedRowKind::Discount);
    EXPECT_EQ(it.rows[3].breakdownRow, 4);
    EXPECT_EQ(it.rows[3].total, Yen(-1000));

    EXPECT_EQ(it.classes, Classes(12000, 2000, 0, 0, 0, 3000));
    EXPECT_EQ(it.discounts, Yen(-1500));
    EXPECT_EQ(it.total, Yen(15500));
    EXPECT_EQ(it.tax, Yen(1550));
    // The same figures as the estimate's own totals.
    EXPECT_EQ(TextToFixed4(e.document.Figure(HeaderFigure::MGoukei11)), it.total);
    EXPECT_EQ(TextToFixed4(e.document.Figure(HeaderFigure::MGoukei01)), it.TotalWithTax());
}

TEST(ItemiseEstimate, TheSheetOnScreenCountsAsTheUserSeesIt) {
    Estimate e;
    e.Breakdown(1, "", "work");
    e.document.Stores().details.MutableLine(1, 1) = Detail("000001", "a", Yen(1), Yen(900), 1);
    e.calculator.RecalculateAll(e.document);
    e.document.LoadDetailSheet(1);
    e.document.Grid(SheetKind::Detail).SetCell(1, 14, Sjis("他"));  // not yet stored

    const ItemisedEstimate it = ItemiseEstimate(e.document, 0);
    ASSERT_EQ(it.rows.size(), 1u);
    EXPECT_EQ(it.rows[0].classes, Classes(0, 0, 0, 0, 0, 900));
}

TEST(WelfareLine, TheRateOfTheSheetsLabourBecomesOneLineOfTheTotals) {
    Estimate e;
    e.Breakdown(1, "", "work");
    DetailStore& details = e.document.Stores().details;
    details.MutableLine(1, 1) = Detail("000001", "a", Yen(4), Yen(2500), 1, Yen(500));  // 2,000
    details.MutableLine(1, 2) = Detail("", "b", Yen(1), Yen(1000), 2);                  // 1,000
    details.MutableLine(1, 3).SetCode("/");
    e.calculator.RecalculateAll(e.document);
    e.document.LoadDetailSheet(1);
    TextGrid& grid = e.document.Grid(SheetKind::Detail);
    const Fixed4 rate = Fixed4::FromRaw(156000);  // 15.6 %

    WelfareLine placed = PlaceWelfareLine(e.document, rate, 0);
    EXPECT_EQ(placed.result, WelfareLineResult::kAdded);
    EXPECT_EQ(placed.row, 3) << "above the total line";
    EXPECT_EQ(placed.labour, Yen(3000));
    EXPECT_EQ(placed.amount, Yen(468));
    EXPECT_EQ(LineKindOf(grid, 4), LineKind::Nakakei);
    e.calculator.CalculateDetail(e.document);
    EXPECT_EQ(Trimmed(grid.Cell(4, 8)), "11,468") << "the total line takes the welfare line in";

    // More labour, the command again: the same line is updated, none added.
    grid.SetCell(2, 7, "2,000");
    e.calculator.CalculateDetail(e.document);
    placed = PlaceWelfareLine(e.document, rate, 0);
    EXPECT_EQ(placed.result, WelfareLineResult::kUpdated);
    EXPECT_EQ(placed.row, 3);
    EXPECT_EQ(placed.amount, Yen(624));  // 4,000 x 15.6 %
    e.calculator.CalculateDetail(e.document);
    e.document.StoreDetailSheet();
    e.calculator.CalculateBreakdown(e.document);
    const ItemisedEstimate it = ItemiseEstimate(e.document, 0);
    ASSERT_EQ(it.rows.size(), 1u);
    EXPECT_EQ(it.rows[0].classes, Classes(8000, 4000, 624));
    EXPECT_EQ(it.total, TextToFixed4(e.document.Figure(HeaderFigure::MGoukei01)));

    // A sheet without labour, or none on screen, gets nothing.
    e.Breakdown(2, "", "materials only");
    e.document.Stores().details.MutableLine(2, 1) = Detail("1", "m", Yen(1), Yen(10), 1);
    e.document.LoadDetailSheet(2);
    EXPECT_EQ(PlaceWelfareLine(e.document, rate, 0).result, WelfareLineResult::kNoLabour);
    e.document.DropDetailSheet();
    EXPECT_EQ(PlaceWelfareLine(e.document, rate, 0).result, WelfareLineResult::kNoSheet);
}

TEST(OwnSettings, KeepsWhatItDoesNotKnowAndReadsTheWelfareRate) {
    test::WorkingFolder folder;
    test::WriteAll(OwnSettingsPath(), "future_key = x=1\nwelfare_rate=15.6\nnot a line\n");
    OwnSettings settings;
    ASSERT_TRUE(ReadOwnSettings(settings, nullptr));
    EXPECT_EQ(settings.WelfareRate(), Fixed4::FromRaw(156000));
    settings.SetWelfareRate(Fixed4::FromRaw(162000));
    ASSERT_TRUE(WriteOwnSettings(settings, nullptr));
    EXPECT_EQ(test::ReadAll(OwnSettingsPath()), "future_key=x=1\nwelfare_rate=16.2\n");
    for (const char* bad : {"welfare_rate=", "welfare_rate=-3", "welfare_rate=abc"}) {
        settings.Parse(bad);
        EXPECT_EQ(settings.WelfareRate(), std::nullopt) << bad;
    }
}

TEST(RegistrationNumber, FormIsRefusedCheckDigitOnlyWarned) {
    // 7000012050002 is the National Tax Agency's corporate number: check digit 7.
    struct Case {
        const char* text;
        RegistrationCheck check;
    } cases[] = {
        {"T7000012050002", RegistrationCheck::kValid},
        {" T7000012050002 ", RegistrationCheck::kValid},
        {"T1000012050002", RegistrationCheck::kCheckDigitWarning},
        {"T700001205000", RegistrationCheck::kWrongForm},    // 12 digits
        {"T70000120500021", RegistrationCheck::kWrongForm},  // 14 digits
        {"7000012050002", RegistrationCheck::kWrongForm},    // no T
        {"t7000012050002", RegistrationCheck::kWrongForm},
        {"T70000120O0002", RegistrationCheck::kWrongForm},
        {"", RegistrationCheck::kBlank},
        {"   ", RegistrationCheck::kBlank},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckRegistrationNumber(c.text), c.check) << c.text;
}

// Random estimates against a model that knows only the rule: per ordinary line, labour is
// rate x quantity rounded half up to yen, the rest goes to the line's class (material when
// unclassified); discount lines are subtracted apart; sum lines count for nothing.
TEST(ItemiseEstimate, RandomEstimatesAgreeWithAPlainModelAndWithTheEstimatesTotal) {
    std::mt19937 random(20251212);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution(low, high)(random); };
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        Estimate e;
        struct Model {
            std::array<std::int64_t, kCostColumns> classes{};
            std::int64_t discount = 0;
        };
        std::vector<Model> models;
        const int workTypes = pick(1, 6);
        for (int row = 1; row <= workTypes; ++row) {
            e.Breakdown(row, "", std::string("w").append(std::to_string(row)));
            Model model;
            const int lines = pick(0, 8);
            for (int line = 1; line <= lines; ++line) {
                const int kind = pick(0, 9);
                LineRecord& r = e.document.Stores().details.MutableLine(row, line);
                if (kind == 0) {
                    const std::int64_t cut = pick(1, 3000);
                    r.SetCode("-");
                    r.SetAmount(Yen(cut));
                    model.discount += cut;
                    continue;
                }
                if (kind == 1) {
                    r.SetCode("=");
                    continue;
                }
                const std::int64_t tenths = pick(1, 200);   // quantity to one decimal
                const std::int64_t price = pick(0, 20000);  // yen
                const std::int64_t thousandths = pick(0, 9) < 4 ? pick(0, 900000) : 0;
                const int cls = pick(0, 6);
                r = Detail(std::string("A").append(std::to_string(line)), "n",
                           Fixed4::FromRaw(tenths * 1000), Yen(price),
                           static_cast<std::uint8_t>(cls), Fixed4::FromRaw(thousandths * 10));
                // amount: quantity x price, half up to yen (the calculator's default rounding)
                const std::int64_t amount = (tenths * price * 10000 + 50000) / 100000;
                const std::int64_t labourRaw = thousandths * 10 * tenths * 1000 / 10000;  // x1e-4
                const std::int64_t labour = (labourRaw + 5000) / 10000;
                model.classes[1] += labour;
                model.classes[cls == 0 ? 0 : cls - 1] += amount - labour;
            }
            models.push_back(model);
        }
        ASSERT_FALSE(e.calculator.RecalculateAll(e.document).has_value());
        const ItemisedEstimate it = ItemiseEstimate(e.document, 0);

        std::int64_t expectedTotal = 0;
        std::size_t at = 0;
        for (int row = 1; row <= workTypes; ++row) {
            const Model& model = models[static_cast<std::size_t>(row - 1)];
            ASSERT_LT(at, it.rows.size());
            const ItemisedRow& work = it.rows[at++];
            EXPECT_EQ(work.breakdownRow, row);
            for (std::size_t k = 0; k < kCostColumns; ++k)
                EXPECT_EQ(work.classes[k], Yen(model.classes[k]))
                    << "row " << row << " class " << k + 1;
            // The five (six) amounts add up to the line: with its discount, the breakdown amount.
            const Fixed4 lineAmount = e.document.Grid(SheetKind::Breakdown).NumberAt(row, 6);
            Fixed4 discount;
            if (model.discount != 0) {
                ASSERT_LT(at, it.rows.size());
                EXPECT_EQ(it.rows[at].kind, ItemisedRowKind::Discount);
                discount = it.rows[at++].total;
                EXPECT_EQ(discount, Yen(-model.discount));
            }
            EXPECT_EQ(SumOf(work.classes) + discount, lineAmount) << "row " << row;
            for (std::int64_t v : model.classes) expectedTotal += v;
            expectedTotal -= model.discount;
        }
        EXPECT_EQ(at, it.rows.size());
        EXPECT_EQ(it.total, Yen(expectedTotal));
        EXPECT_EQ(TextToFixed4(e.document.Figure(HeaderFigure::MGoukei01)), it.total);
    }
}

}  // namespace
}  // namespace quilto
