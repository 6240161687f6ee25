// How fast the editor recalculates. The editor runs a sheet calculation on every cell move,
// and the whole estimate (every detail sheet loaded, calculated and stored, then the
// breakdown and the summary) when the command-line calc runs or the multiplier applies.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "core/foundation/fixed4_arithmetic.h"

#include "core/editor/estimate_calculator.h"
#include "core/editor/estimate_document.h"

namespace quilto {
namespace {

// The largest estimate there can be: 1000 summary lines, 300 breakdown lines each with a
// full detail sheet of 300 lines (every tenth line a subtotal).
void FillMaximal(EstimateDocument& d) {
    TextGrid& summary = d.Grid(SheetKind::Summary);
    for (int row = 1; row <= kSummaryLines; ++row) {
        summary.SetCell(row, 1, row % 10 == 0 ? "=" : "");
        if (row % 10 == 0) continue;
        summary.SetCell(row, 3, "summary line " + std::to_string(row));
        summary.SetCell(row, 4, "m");
        summary.SetCell(row, 5, std::to_string(row % 7 + 1) + ".5");
        summary.SetCell(row, 6, std::to_string(1000 + row));
        summary.SetCell(row, 8, std::to_string(700 + row));
    }
    TextGrid& breakdown = d.Grid(SheetKind::Breakdown);
    for (int line = 1; line <= kBreakdownLines; ++line) {
        breakdown.SetCell(line, 3, "work item " + std::to_string(line));
        breakdown.SetCell(line, 5, "1");
        d.LoadDetailSheet(line);
        TextGrid& detail = d.Grid(SheetKind::Detail);
        for (int row = 1; row <= kDetailLines; ++row) {
            if (row % 10 == 0) {
                detail.SetCell(row, 1, "=");
                continue;
            }
            detail.SetCell(row, 1, "000123");
            detail.SetCell(row, 3, "product " + std::to_string(row));
            detail.SetCell(row, 4, "spec 20A");
            detail.SetCell(row, 5, "m");
            detail.SetCell(row, 6, std::to_string(row % 9 + 1) + ".25");
            detail.SetCell(row, 7, "1,250");
            detail.SetCell(row, 9, "800");
            detail.SetCell(row, 12, "0.125");
        }
        d.StoreDetailSheet();
    }
}

struct Maximal {
    Maximal() {
        d.SetCalculations(&calculator);
        d.SetTaxRateText("10");
        FillMaximal(d);
    }
    EstimateCalculator calculator;
    EstimateDocument d;
};

void BM_FullRecalculation(benchmark::State& state) {
    Maximal m;
    for (auto _ : state) m.calculator.RecalculateAll(m.d);
    state.SetLabel("300 x 300 detail lines, 300 breakdown, 1000 summary");
    // QUILTO_BENCH_KEEP=folder: the recalculated estimate as a file, for comparing builds
    // byte for byte.
    if (const char* folder = std::getenv("QUILTO_BENCH_KEEP")) {
        std::ofstream(std::string(folder) + "/recalculated_maximal.dat", std::ios::binary)
            << SerializeEstimate(m.d.Header(), m.d.Stores());
    }
}
BENCHMARK(BM_FullRecalculation)->Unit(benchmark::kMillisecond);

// The floor of a full recalculation: every detail record's figures read once and the
// products summed, with no rounding, no special lines and nothing written.
void BM_FullRecalculationFloor_RecordScan(benchmark::State& state) {
    Maximal m;
    const DetailStore& details = m.d.Stores().details;
    for (auto _ : state) {
        Fixed4 sum;
        for (int sheet = 1; sheet <= kBreakdownLines; ++sheet) {
            for (int line = 1; line <= kDetailLines; ++line) {
                const LineRecord& r = details.Line(sheet, line);
                sum += Multiply(r.Quantity(), r.UnitPrice()) +
                       Multiply(r.Quantity(), r.CostUnitPrice());
            }
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_FullRecalculationFloor_RecordScan)->Unit(benchmark::kMillisecond);

void BM_SummaryRecalculation(benchmark::State& state) {
    Maximal m;
    for (auto _ : state) {
        m.d.Grid(SheetKind::Summary).SetCell(500, 6, "2,000");  // one cell changed
        benchmark::DoNotOptimize(m.calculator.CalculateSummary(m.d));
    }
    state.SetLabel("1000 lines");
}
BENCHMARK(BM_SummaryRecalculation)->Unit(benchmark::kMicrosecond);

void BM_DetailSheetRecalculation(benchmark::State& state) {
    Maximal m;
    m.d.LoadDetailSheet(150);
    for (auto _ : state) {
        // One cell changed, as after typing: an unchanged sheet is not calculated again.
        m.d.Grid(SheetKind::Detail).SetCell(150, 7, "1,250");
        benchmark::DoNotOptimize(m.calculator.CalculateDetail(m.d));
    }
    state.SetLabel("300 lines");
}
BENCHMARK(BM_DetailSheetRecalculation)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quilto

namespace quilto {
namespace {

// The part of the full recalculation that only moves detail sheets between the store and
// the grid, without calculating.
void BM_DetailSheetLoadAndStore(benchmark::State& state) {
    Maximal m;
    m.d.SetCalculations(nullptr);
    for (auto _ : state) {
        for (int line = 1; line <= kBreakdownLines; ++line) {
            m.d.LoadDetailSheet(line);
            m.d.StoreDetailSheet();
        }
    }
    m.d.SetCalculations(&m.calculator);
}
BENCHMARK(BM_DetailSheetLoadAndStore)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quilto
