// Saving and loading the largest estimate the editor can hold: 1000 summary lines, 300
// breakdown lines with 300 detail lines each (some 17.5 MB on disk).

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtGlobal>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "core/editor/estimate_io.h"

namespace quilto {
namespace {

struct Quiet : Questions {
    ButtonAnswer AskButtons(const std::string&, const std::string&, const std::string&,
                            const std::string&, const std::string&) override {
        return ButtonAnswer::kEscape;
    }
    bool AskOkCancel(const std::string&, const std::string&) override { return false; }
    void Inform(const std::string&, const std::string&) override {}
    std::optional<std::string> AskText(const std::string&, const std::string&,
                                       const std::string&) override {
        return std::nullopt;
    }
};

// A working folder with its data folder, current for the life of the object.
class Folder {
  public:
    Folder() : previous_(QDir::currentPath()) {
        QDir(dir_.path()).mkdir("DAT");
        QDir::setCurrent(dir_.path());
    }
    ~Folder() { QDir::setCurrent(previous_); }

  private:
    QTemporaryDir dir_;
    QString previous_;
};

// QUILTO_BENCH_KEEP=folder: the estimate files the benchmarks wrote are copied there, so
// that the files of two builds can be compared byte for byte.
void Keep(const QString& file, const char* as) {
    const QString folder = qEnvironmentVariable("QUILTO_BENCH_KEEP");
    if (folder.isEmpty()) return;
    const QString target = QDir(folder).filePath(QString::fromLatin1(as));
    QFile::remove(target);
    QFile::copy(file, target);
}

void FillMaximal(EstimateDocument& doc) {
    doc.SetText(HeaderText::MNo, "000001");
    doc.SetText(HeaderText::MName1, "customer");
    doc.SetText(HeaderText::MTitle1, "title");
    TextGrid& summary = doc.Grid(SheetKind::Summary);
    for (int row = 1; row <= kSummaryLines; ++row) {
        summary.SetCell(row, 3, "summary line name of forty bytes........");
        summary.SetCell(row, 5, "12.5");
        summary.SetCell(row, 6, "1,000");
        summary.SetCell(row, 7, "12,500");
    }
    TextGrid& breakdown = doc.Grid(SheetKind::Breakdown);
    for (int row = 1; row <= kBreakdownLines; ++row) {
        breakdown.SetCell(row, 3, "breakdown line");
        breakdown.SetCell(row, 6, "3,750,000");
        for (int line = 1; line <= kDetailLines; ++line) {
            LineRecord& r = doc.Stores().details.MutableLine(row, line);
            r.SetCode("000123");
            r.SetName("product name");
            r.SetSpec("specification");
            r.SetUnit("m2");
            r.SetQuantity(Fixed4::FromRaw(125000));
            r.SetUnitPrice(Fixed4::FromInt(1000));
            r.SetAmount(Fixed4::FromInt(12500));
        }
    }
    // The line records as a save builds them from the grids.
    for (int row = 1; row <= kSummaryLines; ++row) {
        RowToRecord(summary, row, SheetKind::Summary, doc.Stores().summary[row]);
    }
    for (int row = 1; row <= kBreakdownLines; ++row) {
        RowToRecord(breakdown, row, SheetKind::Breakdown, doc.Stores().breakdown[row]);
    }
}

void BM_SerializeMaximal(benchmark::State& state) {
    EstimateDocument doc;
    FillMaximal(doc);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string file = SerializeEstimate(doc.Header(), doc.Stores());
        bytes = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_SerializeMaximal)->Unit(benchmark::kMillisecond);

void BM_ParseMaximal(benchmark::State& state) {
    EstimateDocument doc;
    FillMaximal(doc);
    const std::string file = SerializeEstimate(doc.Header(), doc.Stores());
    EstimateHeader header;
    EstimateStores stores;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParseEstimateFile(file, header, stores));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ParseMaximal)->Unit(benchmark::kMillisecond);

// The whole save as the editor runs it on an opened estimate: grids to records, the file
// written to a temporary, flushed to disk and renamed.
void BM_SaveMaximal(benchmark::State& state) {
    Folder folder;
    Environment env;
    Quiet quiet;
    EstimateDocument doc;
    FillMaximal(doc);
    doc.BeginSession(EntryMode::kCallUp);
    for (auto _ : state) {
        if (SaveEstimate(doc, env, quiet) != EstimateResult::kOk)
            state.SkipWithError("save failed");
    }
    const std::int64_t size = QFileInfo(EstimateFilePath(env, "000001")).size();
    state.SetBytesProcessed(state.iterations() * size);
    Keep(EstimateFilePath(env, "000001"), "save_maximal.dat");
}
BENCHMARK(BM_SaveMaximal)->Unit(benchmark::kMillisecond);

// The floor of a save: the same bytes written to a file and flushed to disk, nothing else.
void BM_SaveMaximalFloor_WriteFsync(benchmark::State& state) {
    Folder folder;
    EstimateDocument doc;
    FillMaximal(doc);
    const std::string bytes = SerializeEstimate(doc.Header(), doc.Stores());
    for (auto _ : state) {
        const int fd = ::open("DAT/floor.dat", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        const bool ok =
            fd >= 0 &&
            ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
            ::fsync(fd) == 0;
        if (fd >= 0) ::close(fd);
        if (!ok) state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_SaveMaximalFloor_WriteFsync)->Unit(benchmark::kMillisecond);

// A small estimate (a cover and three lines), as most saves are: here the flushes to disk,
// of the file and of its folder, are most of the cost.
void FillSmall(EstimateDocument& doc) {
    doc.SetText(HeaderText::MNo, "000001");
    doc.SetText(HeaderText::MName1, "customer");
    doc.SetText(HeaderText::MTitle1, "title");
    TextGrid& summary = doc.Grid(SheetKind::Summary);
    for (int row = 1; row <= 3; ++row) {
        summary.SetCell(row, 3, "summary line");
        summary.SetCell(row, 7, "12,500");
    }
}

void BM_SaveSmall(benchmark::State& state) {
    Folder folder;
    Environment env;
    Quiet quiet;
    EstimateDocument doc;
    FillSmall(doc);
    doc.BeginSession(EntryMode::kCallUp);
    for (auto _ : state) {
        if (SaveEstimate(doc, env, quiet) != EstimateResult::kOk)
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveSmall)->Unit(benchmark::kMillisecond);

// The first save of a new estimate: the next number, the file claimed through a hard link.
void BM_FirstSaveSmall(benchmark::State& state) {
    Folder folder;
    Environment env;
    Quiet quiet;
    EstimateDocument doc;
    FillSmall(doc);
    doc.BeginSession(EntryMode::kNew);
    for (auto _ : state) {
        doc.SetNumberAssigned(false);
        if (SaveEstimate(doc, env, quiet) != EstimateResult::kOk)
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_FirstSaveSmall)->Unit(benchmark::kMillisecond)->Iterations(300);

// Loading fills the cover, the breakdown and summary grids and the detail store.
void BM_LoadMaximal(benchmark::State& state) {
    Folder folder;
    Environment env;
    Quiet quiet;
    EstimateDocument doc;
    FillMaximal(doc);
    doc.BeginSession(EntryMode::kCallUp);
    if (SaveEstimate(doc, env, quiet) != EstimateResult::kOk) state.SkipWithError("save failed");
    const std::int64_t size = QFileInfo(EstimateFilePath(env, "000001")).size();
    EstimateDocument loaded;
    loaded.SetText(HeaderText::MNo, "000001");
    for (auto _ : state) {
        if (LoadEstimate(loaded, env) != EstimateResult::kOk) state.SkipWithError("load failed");
    }
    state.SetBytesProcessed(state.iterations() * size);
    // What a load keeps: saved again, the file must come out as it was.
    loaded.BeginSession(EntryMode::kCallUp);
    if (SaveEstimate(loaded, env, quiet) != EstimateResult::kOk) state.SkipWithError("save failed");
    Keep(EstimateFilePath(env, "000001"), "load_then_save_maximal.dat");
}
BENCHMARK(BM_LoadMaximal)->Unit(benchmark::kMillisecond);

// The floor of a load: the same file read into a buffer that is reused, nothing else.
void BM_LoadMaximalFloor_BareRead(benchmark::State& state) {
    Folder folder;
    Environment env;
    Quiet quiet;
    EstimateDocument doc;
    FillMaximal(doc);
    doc.BeginSession(EntryMode::kCallUp);
    if (SaveEstimate(doc, env, quiet) != EstimateResult::kOk) state.SkipWithError("save failed");
    const QString file = EstimateFilePath(env, "000001");
    const QByteArray path = QFile::encodeName(file);
    std::vector<char> buffer(static_cast<std::size_t>(QFileInfo(file).size()));
    for (auto _ : state) {
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        std::size_t got = 0;
        while (fd >= 0 && got < buffer.size()) {
            const ssize_t n = ::read(fd, buffer.data() + got, buffer.size() - got);
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        if (fd >= 0) ::close(fd);
        if (got != buffer.size()) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(buffer.size()));
}
BENCHMARK(BM_LoadMaximalFloor_BareRead)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quilto
