// Listing a data folder of 10,000 estimates: building the estimate list (every file's header
// read, its line built, the lines sorted) against merely reading the 10,000 headers, and
// against reading the whole files. The list should cost little more than the headers.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/editor/estimate_io.h"
#include "core/foundation/fixed4.h"
#include "core/store/environment.h"
#include "core/store/estimate_file.h"
#include "core/store/estimate_history.h"
#include "core/store/estimate_list.h"
#include "estimate_folder.h"

namespace {

using DataFolder = quilto::bench::EstimateFolder;
using quilto::bench::kLinesPerEstimate;

constexpr int kEstimates = 10000;

const DataFolder& Folder() {
    static const DataFolder folder(kEstimates);
    return folder;
}

// The floor: open each file and read its 1392-byte header, nothing else.
void BM_ReadHeadersOnly(benchmark::State& state) {
    const DataFolder& folder = Folder();
    char header[quilto::kEstimateHeaderSize];
    for (auto _ : state) {
        std::size_t read = 0;
        for (const std::string& name : folder.Names()) {
            const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
            read += static_cast<std::size_t>(::read(fd, header, sizeof header));
            ::close(fd);
        }
        benchmark::DoNotOptimize(read);
    }
    state.SetItemsProcessed(state.iterations() * kEstimates);
}
BENCHMARK(BM_ReadHeadersOnly)->Unit(benchmark::kMillisecond);

// The list as the estimate list builds it: folder walk, headers, lines, sort.
void BM_BuildEstimateList(benchmark::State& state) {
    Folder();
    quilto::Environment environment;
    for (auto _ : state) {
        const auto entries = quilto::BuildEstimateList(environment);
        if (entries.size() != kEstimates) state.SkipWithError("not every estimate was listed");
        benchmark::DoNotOptimize(entries.data());
    }
    state.SetItemsProcessed(state.iterations() * kEstimates);
}
BENCHMARK(BM_BuildEstimateList)->Unit(benchmark::kMillisecond);

// The folder walk and the header reads of the list, without building lines.
void BM_WalkHeaders(benchmark::State& state) {
    Folder();
    quilto::Environment environment;
    for (auto _ : state) {
        int seen = 0;
        quilto::VisitEstimateHeaders(environment,
                                     [&seen](const QString&, const quilto::EstimateHeader*) {
                                         ++seen;
                                         return true;
                                     });
        benchmark::DoNotOptimize(seen);
    }
    state.SetItemsProcessed(state.iterations() * kEstimates);
}
BENCHMARK(BM_WalkHeaders)->Unit(benchmark::kMillisecond);

// Reading each header through the estimate file API, path formed by the folder rule each
// time (what a list built on ReadEstimateHeader would pay).
void BM_ReadEstimateHeaderApi(benchmark::State& state) {
    const DataFolder& folder = Folder();
    quilto::Environment environment;
    quilto::EstimateHeader header;
    for (auto _ : state) {
        int failed = 0;
        for (const std::string& name : folder.Names()) {
            failed += quilto::ReadEstimateHeader(environment, name.substr(4), header) !=
                      quilto::EstimateResult::kOk;
        }
        if (failed != 0) state.SkipWithError("a header could not be read");
    }
    state.SetItemsProcessed(state.iterations() * kEstimates);
}
BENCHMARK(BM_ReadEstimateHeaderApi)->Unit(benchmark::kMillisecond);

// What reading whole files would cost instead.
void BM_ReadWholeFiles(benchmark::State& state) {
    const DataFolder& folder = Folder();
    std::vector<char> buffer(quilto::kEstimateHeaderSize +
                             kLinesPerEstimate * quilto::kLineRecordSize + 1);
    for (auto _ : state) {
        std::size_t read = 0;
        for (const std::string& name : folder.Names()) {
            const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
            read += static_cast<std::size_t>(::read(fd, buffer.data(), buffer.size()));
            ::close(fd);
        }
        benchmark::DoNotOptimize(read);
    }
    state.SetItemsProcessed(state.iterations() * kEstimates);
}
BENCHMARK(BM_ReadWholeFiles)->Unit(benchmark::kMillisecond);

// The start-up histories: every customer and title here is distinct, so the walk stops
// after 301 files.
void BM_BuildHistories(benchmark::State& state) {
    Folder();
    quilto::Environment environment;
    for (auto _ : state) {
        const auto histories = quilto::BuildEstimateHistories(environment);
        benchmark::DoNotOptimize(histories.customers.Size());
    }
}
BENCHMARK(BM_BuildHistories)->Unit(benchmark::kMillisecond);

}  // namespace
