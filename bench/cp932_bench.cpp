// Converting grid cells: the editor turns every visible cell from CP932 to QString and every
// edit back, so short strings dominate.
#include <benchmark/benchmark.h>

#include <QString>
#include <string>

#include "core/foundation/cp932.h"

namespace {

// "鉄筋コンクリート工事　㎡" and an amount, as a cell holds them.
const std::string kCell =
    "\x93\x53\x8B\xD8\x83\x52\x83\x93\x83\x4E\x83\x8A\x81\x5B\x83\x67\x8D\x48\x8E\x96\x81\x40"
    "\x87\x75";
const std::string kAmount = "1,234,567";

void BM_DecodeCell(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(quilto::Cp932ToQString(kCell));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kCell.size()));
}
BENCHMARK(BM_DecodeCell);

void BM_DecodeAmount(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(quilto::Cp932ToQString(kAmount));
}
BENCHMARK(BM_DecodeAmount);

void BM_EncodeCell(benchmark::State& state) {
    const QString text = quilto::Cp932ToQStringLossy(kCell);
    for (auto _ : state) benchmark::DoNotOptimize(quilto::QStringToCp932(text));
}
BENCHMARK(BM_EncodeCell);

void BM_EncodeUtf8Cell(benchmark::State& state) {
    const std::string utf8 = *quilto::Cp932ToUtf8(kCell);
    for (auto _ : state) benchmark::DoNotOptimize(quilto::Utf8ToCp932(utf8));
}
BENCHMARK(BM_EncodeUtf8Cell);

}  // namespace
