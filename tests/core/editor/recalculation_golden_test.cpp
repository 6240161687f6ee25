// The full recalculation of a large, awkward estimate pinned to golden dumps of everything
// it leaves behind: every grid text, every line record byte and the header figures
// (tests/data/golden). Any change to what the calculation writes, however small, fails with
// the cell, record or figure that differs; a speed-up must leave them all as they are.

#include <gtest/gtest.h>

#include <QtGlobal>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
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

// The columns of the stored layout only: the cost class and days columns, which the
// calculation never touches, came later and would shift the sequence that made the dumps.
void FillRow(TextGrid& grid, SheetKind sheet, int row, Sequence& random) {
    grid.SetCell(row, 1, random.Pick(kMarkers));
    const SheetColumns& c = ColumnsOf(sheet);
    for (int col = 2; col < grid.ColCount(); ++col) {
        if (col == c.costClass || col == c.workDays) continue;
        const bool text = col == 3 || col == 4;
        grid.SetCell(row, col, text ? random.Pick(kTexts) : random.Pick(kNumbers));
    }
}

// The golden dumps: one line per non-empty grid cell, per non-zero line record and per
// header figure, "where<TAB>what". Texts are CP932 bytes, shown as ASCII with every other
// byte as \xHH. A record is pinned by a 64-bit fingerprint of its 192 bytes (its hex would
// make the dumps megabytes); a failure shows the record's bytes as they now are.
std::string Escaped(const std::string& bytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        if (b >= 0x20 && b < 0x7F && b != '\\') {
            out += static_cast<char>(b);
        } else {
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    return out;
}

std::string Hex(const std::string& bytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += kHex[b >> 4];
        out += kHex[b & 15];
    }
    return out;
}

std::string Fingerprint(const std::string& bytes) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (unsigned char b : bytes) hash = (hash ^ b) * 1099511628211ULL;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

using Dump = std::map<std::string, std::string>;

void DumpGrid(Dump& dump, const char* name, const TextGrid& grid) {
    for (int row = 0; row < grid.RowCount(); ++row)
        for (int col = 0; col < grid.ColCount(); ++col)
            if (!grid.Cell(row, col).empty())
                dump[std::string(name) + " grid row " + std::to_string(row) + " col " +
                     std::to_string(col)] = Escaped(grid.Cell(row, col));
}

void DumpRecord(Dump& dump, Dump& bytes, const std::string& where, const LineRecord& record) {
    if (record.IsZero()) return;
    dump[where] = Fingerprint(record.Bytes());
    bytes[where] = Hex(record.Bytes());
}

// bytes: the hex of each record in the dump, shown when its fingerprint differs.
Dump DumpOf(const EstimateDocument& d, Dump& bytes) {
    Dump dump;
    const std::pair<HeaderFigure, const char*> figures[] = {{HeaderFigure::MGoukei01, "MGoukei01"},
                                                            {HeaderFigure::MGoukei11, "MGoukei11"},
                                                            {HeaderFigure::MGoukei12, "MGoukei12"},
                                                            {HeaderFigure::MGoukei13, "MGoukei13"}};
    for (const auto& [figure, name] : figures)
        dump[std::string("figure ") + name] = Escaped(d.Figure(figure));
    DumpGrid(dump, "breakdown", d.Grid(SheetKind::Breakdown));
    DumpGrid(dump, "detail", d.Grid(SheetKind::Detail));
    DumpGrid(dump, "summary", d.Grid(SheetKind::Summary));
    const auto& stores = d.Stores();
    for (std::size_t i = 0; i < stores.breakdown.size(); ++i)
        DumpRecord(dump, bytes, "breakdown record " + std::to_string(i), stores.breakdown[i]);
    for (std::size_t i = 0; i < stores.summary.size(); ++i)
        DumpRecord(dump, bytes, "summary record " + std::to_string(i), stores.summary[i]);
    for (int sheet = 0; sheet <= kBreakdownLines + 1; ++sheet) {
        if (stores.details.HasSheet(sheet))
            dump["detail sheet " + std::to_string(sheet)] = "stored";
        for (int line = 0; line <= kDetailLines + 1; ++line)
            DumpRecord(dump, bytes,
                       "detail sheet " + std::to_string(sheet) + " record " + std::to_string(line),
                       stores.details.Line(sheet, line));
    }
    return dump;
}

std::string GoldenPath(const char* name) {
    return std::string(QUILTO_TEST_DATA_DIR) + "/golden/" + name;
}

// QUILTO_UPDATE_GOLDEN=1 writes the dumps anew (after a change that is meant to alter what
// the calculation leaves behind; the diff of the dump then shows what it altered).
void ExpectDump(const EstimateDocument& d, const char* name) {
    Dump bytes;
    const Dump actual = DumpOf(d, bytes);
    const std::string path = GoldenPath(name);
    if (qEnvironmentVariableIsSet("QUILTO_UPDATE_GOLDEN")) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        for (const auto& [where, what] : actual) out << where << '\t' << what << '\n';
        ASSERT_TRUE(out.good()) << path;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in.good()) << "missing golden dump " << path;
    Dump expected;
    for (std::string line; std::getline(in, line);) {
        const std::size_t tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << path << ": " << line;
        expected[line.substr(0, tab)] = line.substr(tab + 1);
    }
    int differences = 0;
    for (const auto& [where, what] : expected) {
        const auto found = actual.find(where);
        const std::string got = found == actual.end() ? "(empty)" : found->second;
        if (got != what && ++differences <= 20)
            ADD_FAILURE() << name << ": " << where << "\n  expected " << what << "\n  got      "
                          << got << (bytes.count(where) ? "\n  now " + bytes[where] : "");
    }
    for (const auto& [where, what] : actual)
        if (!expected.count(where) && ++differences <= 20)
            ADD_FAILURE() << name << ": " << where << "\n  expected (empty)\n  got      " << what;
    EXPECT_EQ(differences, 0) << "cells, records or figures differ from " << path;
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
            if (random.Chance(85)) FillRow(summary, SheetKind::Summary, row, random);
        TextGrid& breakdown = d.Grid(SheetKind::Breakdown);
        for (int line = 1; line <= 120; ++line) {
            if (random.Chance(90)) FillRow(breakdown, SheetKind::Breakdown, line, random);
            if (random.Chance(20)) continue;
            d.SetCalculations(random.Chance(50) ? &calculator : nullptr);
            d.LoadDetailSheet(line);
            const int rows = static_cast<int>(random.Next() % kDetailLines) + 1;
            for (int row = 1; row <= rows; ++row)
                if (random.Chance(80))
                    FillRow(d.Grid(SheetKind::Detail), SheetKind::Detail, row, random);
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
    ExpectDump(e.d, "recalculation_first_pass.txt");

    // Again with the summary supplying the totals and the other roundings: a second pass
    // over figures it wrote.
    CalculationSettings s = e.calculator.Settings();
    s.amountRounding = 0;
    s.taxRounding = 0;
    s.quantityDecimals = 1;
    e.calculator.SetSettings(s);
    e.d.SetCheckBox1(true);
    e.calculator.RecalculateAll(e.d);
    ExpectDump(e.d, "recalculation_second_pass.txt");
}

}  // namespace
}  // namespace quilto
