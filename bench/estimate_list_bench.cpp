// Listing a data folder of 10,000 estimates: building the estimate list (every file's header
// read, its line built, the lines sorted) against merely reading the 10,000 headers, and
// against reading the whole files. The list should cost little more than the headers.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "core/editor/estimate_io.h"
#include "core/foundation/fixed4.h"
#include "core/store/environment.h"
#include "core/store/estimate_file.h"
#include "core/store/estimate_history.h"
#include "core/store/estimate_list.h"

namespace {

constexpr int kEstimates = 10000;
// A modest estimate: 40 summary, breakdown and detail lines after the header.
constexpr int kLinesPerEstimate = 40;

// A working folder with DAT/ holding kEstimates estimates, made once for all benchmarks.
class DataFolder {
  public:
    DataFolder() {
        QDir(dir_.path()).mkdir("DAT");
        QDir::setCurrent(dir_.path());
        const std::string lines(kLinesPerEstimate * quilto::kLineRecordSize, '\0');
        for (int i = 1; i <= kEstimates; ++i) {
            quilto::EstimateHeader header;
            header.SetSignature(quilto::kEstimateSignature);
            const std::string number = std::to_string(1000000 + i).substr(1);
            header.SetText(quilto::HeaderText::MNo, number);
            // "株式会社 山田建設 n" and "外壁塗装工事 n" in CP932.
            header.SetText(
                quilto::HeaderText::MName1,
                "\x8A\x94\x8E\xAE\x89\xEF\x8E\xD0 \x8E\x52\x93\x63\x8C\x9A\x90\xDD " + number);
            header.SetText(quilto::HeaderText::MTitle1,
                           "\x8A\x4F\x95\xC7\x93\x68\x91\x95\x8D\x48\x8E\x96 " + number);
            header.SetFigure(quilto::HeaderFigure::MGoukei01, quilto::Fixed4::FromInt(i * 1000));
            const std::string name = "DAT/m_" + number + ".dat";
            names_.push_back(name);
            const std::string bytes = header.Bytes() + lines;
            const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 ||
                ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
                std::abort();
            }
            ::close(fd);
        }
    }
    const std::vector<std::string>& Names() const { return names_; }

  private:
    QTemporaryDir dir_;
    std::vector<std::string> names_;
};

const DataFolder& Folder() {
    static const DataFolder folder;
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
                      EstimateResult::kOk;
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
