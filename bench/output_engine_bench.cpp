// The output engine from template to saved workbook, beside its floor (the engine's own work
// into a book that keeps nothing, plus writing the saved workbook's bytes durably: write,
// fsync, rename) and against a per-cell automation peer (bench/uno_peer.py: LibreOffice
// driven through UNO, one call per cell) doing the same workbook calls on the same estimate,
// side by side in one run.
//
//   build/release/bench/output_engine_bench --benchmark_filter='BM_Engine/|BM_Floor'
//       --benchmark_repetitions=5   (one command line)
//
// With QUILTO_BENCH_KEEP=DIR each scenario's workbook is kept as DIR/<scenario>.xlsx, so that
// two builds' workbooks can be compared part by part (bench/compare_workbooks.py).
//
// Each estimate gets a working folder with the shipped template 見積書00 and the standard
// table definitions (generated into the build's XlsBase folder). The engine's
// calls for an estimate are recorded once from an in-memory book; the peer replays that
// record. Counters: cells written, cells/s, and for the peer how many times slower it is.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "core/excel/cell_address.h"
#include "core/excel/table_definition.h"
#include "core/foundation/atomic_file.h"
#include "core/foundation/cp932.h"
#include "core/output/output_run.h"
#include "core/output/standard_output.h"

namespace quilto {
namespace {

struct Scenario {
    const char* name;
    int constructions;  // breakdown lines, each with a detail sheet
    int detailLines;    // per construction
    int summaryLines;
};
// A typical estimate (about 50 lines on 10 pages), a medium and a large one.
constexpr Scenario kScenarios[] = {
    {"typical", 8, 6, 0},
    {"medium", 20, 30, 40},
    {"large", 100, 60, 200},
};

// Records the engine's calls as the peer's input and counts the cells.
class RecordingBook : public OutputBook {
  public:
    explicit RecordingBook(int sheets) : visible_(sheets, true) {}
    int SheetCount() const override { return static_cast<int>(visible_.size()); }
    bool CopySheetAfter(int sheet, int after, QString*) override {
        visible_.insert(visible_.begin() + after, visible_[sheet - 1]);
        log_ += "copy\t" + std::to_string(sheet) + "\t" + std::to_string(after) + "\n";
        return true;
    }
    bool SetSheetVisible(int sheet, bool visible, QString*) override {
        visible_[sheet - 1] = visible;
        if (!visible) log_ += "hide\t" + std::to_string(sheet) + "\n";
        return true;
    }
    bool IsSheetVisible(int sheet) const override { return visible_[sheet - 1]; }
    bool ActivateSheet(int sheet, QString*) override {
        log_ += "activate\t" + std::to_string(sheet) + "\n";
        return true;
    }
    bool WriteCell(std::string_view address, std::string_view text, QString* error) override {
        const CellPosition at = ParseDefinitionAddress(address);
        return WriteCell(at.row, at.column, text, error);
    }
    bool WriteCell(int row, int column, std::string_view text, QString*) override {
        std::string utf8 = Cp932ToUtf8(text).value_or("?");
        std::string escaped;
        for (char c : utf8) {
            if (c == '\\')
                escaped += "\\\\";
            else if (c == '\n')
                escaped += "\\n";
            else
                escaped += c;
        }
        log_ +=
            "cell\t" + std::to_string(row) + "\t" + std::to_string(column) + "\t" + escaped + "\n";
        ++cells_;
        return true;
    }
    const std::string& Log() const { return log_; }
    int Cells() const { return cells_; }

  private:
    std::vector<bool> visible_;
    std::string log_;
    int cells_ = 0;
};

struct NullProgress : OutputProgress {};

// Takes every call and keeps nothing: the engine's own share of the work.
class NullBook : public OutputBook {
  public:
    int SheetCount() const override { return sheets_; }
    bool CopySheetAfter(int, int, QString*) override { return ++sheets_ > 0; }
    bool SetSheetVisible(int, bool, QString*) override { return true; }
    bool IsSheetVisible(int) const override { return true; }
    bool ActivateSheet(int, QString*) override { return true; }
    bool WriteCell(std::string_view, std::string_view, QString*) override { return true; }
    bool WriteCell(int, int, std::string_view, QString*) override { return true; }

  private:
    int sheets_ = 4;
};

// One estimate in its own working folder, ready to output.
class Setup {
  public:
    explicit Setup(const Scenario& s) : previous_(QDir::currentPath()) {
        QDir::setCurrent(dir_.path());
        // The installation's templates and standard table definitions.
        QDir().mkpath("XlsBase");
        for (const char* name : {"見積書00.xlsx", "XKP00.Dat", "XKPSei00.Dat"})
            QFile::copy(QStringLiteral(QUILTO_XLSBASE_DIR "/") + name,
                        QStringLiteral("XlsBase/") + name);
        definitions_.Load("");

        EstimateDocument& doc = job_.document;
        const auto sjis = [](const char* utf8) { return Utf8ToCp932(utf8).value_or(""); };
        doc.SetText(HeaderText::MName1, sjis("株式会社 山田商事 御中"));
        doc.SetText(HeaderText::MTitle1, sjis("本社ビル 3階 事務所改装工事"));
        doc.SetFigure(HeaderFigure::MGoukei01, "12,345,678");
        doc.SetFigure(HeaderFigure::MGoukei11, "11,223,344");
        EnvironmentSettings& company = job_.environment.Settings();
        company.SetText("Edit1", sjis("株式会社 田中建設"));
        company.SetText("Edit2", sjis("〒100-0005"));
        company.SetText("Edit3", sjis("東京都千代田区丸の内1-2-3"));
        company.SetText("Edit5", "03-1234-5678");
        job_.environment.BuildRecord();
        for (int row = 1; row <= s.summaryLines; ++row) {
            TextGrid& g = doc.Grid(SheetKind::Summary);
            g.SetCell(row, 2, std::to_string(row));
            g.SetCell(row, 3, sjis("仮設工事一式"));
            g.SetCell(row, 4, sjis("式"));
            g.SetCell(row, 5, "1");
            g.SetCell(row, 7, "   1,234,567");
        }
        TextGrid& g = doc.Grid(SheetKind::Breakdown);
        for (int row = 1; row <= s.constructions; ++row) {
            g.SetCell(row, 2, std::to_string(row));
            g.SetCell(row, 3, sjis("内装仕上工事"));
            g.SetCell(row, 4, sjis("式"));
            g.SetCell(row, 5, "1");
            g.SetCell(row, 6, "   2,345,000");
            g.SetCell(row, 8, sjis("別紙明細による"));
            for (int line = 1; line <= s.detailLines; ++line) {
                LineRecord& r = doc.Stores().details.MutableLine(row, line);
                r.SetCode("000123");
                r.SetNumberText(std::to_string(line));
                r.SetName(sjis("石膏ボード張り"));
                r.SetSpec(sjis("t=12.5 910×1820"));
                r.SetUnit(sjis("㎡"));
                r.SetQuantity(Fixed4::FromRaw(1255000));
                r.SetUnitPrice(Fixed4::FromInt(1850));
                r.SetAmount(Fixed4::FromInt(232175));
                r.SetRemarks(sjis("下地共"));
            }
            doc.Stores().breakdown[row].SetDetailCount(s.detailLines);
        }
        job_.choices.summary = s.summaryLines > 0;
        job_.choices.SelectAllConstructions();

        RecordingBook book(4);
        NullProgress progress;
        const OutputSource source{doc, job_.environment, job_.choices, definitions_};
        const StandardPages pages = CountStandardPages(source);
        pages_ = pages.Total();
        QString error;
        WriteStandardOutput(book, source, pages, progress, &error);
        cells_ = book.Cells();
        QFile log("operations.tsv");
        log.open(QIODevice::WriteOnly);
        log.write(book.Log().data(), static_cast<qint64>(book.Log().size()));
    }
    ~Setup() { QDir::setCurrent(previous_); }

    const OutputJob& Job() const { return job_; }
    int Cells() const { return cells_; }
    int Pages() const { return pages_; }
    QString Path(const QString& name) const { return dir_.filePath(name); }

  private:
    QString previous_;
    QTemporaryDir dir_;
    OutputJob job_;
    TableDefinitions definitions_;
    int cells_ = 0;
    int pages_ = 0;
};

void BM_Engine(benchmark::State& state) {
    const Scenario& s = kScenarios[state.range(0)];
    Setup setup(s);
    NullProgress progress;
    for (auto _ : state) {
        const OutputResult result = ProduceOutput(setup.Job(), progress);
        if (result.status != OutputStatus::kDone) {
            state.SkipWithError(result.error.toStdString().c_str());
            return;
        }
    }
    state.SetLabel(s.name);
    state.counters["cells"] = setup.Cells();
    state.counters["pages"] = setup.Pages();
    state.counters["cells/s"] = benchmark::Counter(
        static_cast<double>(setup.Cells()) * state.iterations(), benchmark::Counter::kIsRate);
    if (const QString keep = qEnvironmentVariable("QUILTO_BENCH_KEEP"); !keep.isEmpty()) {
        QDir().mkpath(keep);
        const QString kept = keep + "/" + s.name + ".xlsx";
        QFile::remove(kept);
        QFile::copy(setup.Path("Xls/見積書00.xlsx"), kept);
    }
}

// The floor: what any output of the estimate must do. The engine works out every value into
// a book that keeps nothing, and the workbook's bytes (as the engine saved them) are written
// durably the way a save writes them.
void BM_Floor(benchmark::State& state) {
    const Scenario& s = kScenarios[state.range(0)];
    Setup setup(s);
    NullProgress progress;
    if (ProduceOutput(setup.Job(), progress).status != OutputStatus::kDone) {
        state.SkipWithError("the output failed");
        return;
    }
    const std::string bytes = ReadWholeFile(setup.Path("Xls/見積書00.xlsx"), 1 << 30).value_or("");
    TableDefinitions definitions;
    definitions.Load("");
    const OutputJob& job = setup.Job();
    const QString target = setup.Path("floor.xlsx");
    for (auto _ : state) {
        NullBook book;
        const OutputSource source{job.document, job.environment, job.choices, definitions};
        QString error;
        WriteStandardOutput(book, source, CountStandardPages(source), progress, &error);
        if (!SaveFileAtomically(target, bytes)) state.SkipWithError("the write failed");
    }
    state.SetLabel(s.name);
    state.counters["cells/s"] = benchmark::Counter(
        static_cast<double>(setup.Cells()) * state.iterations(), benchmark::Counter::kIsRate);
}

// The engine alone: pages counted and every value worked out, into a book that keeps
// nothing (what the workbook layer adds is the difference to BM_Engine).
void BM_EngineWithoutWorkbook(benchmark::State& state) {
    const Scenario& s = kScenarios[state.range(0)];
    Setup setup(s);
    NullProgress progress;
    TableDefinitions definitions;
    definitions.Load("");
    const OutputJob& job = setup.Job();
    for (auto _ : state) {
        NullBook book;
        const OutputSource source{job.document, job.environment, job.choices, definitions};
        QString error;
        WriteStandardOutput(book, source, CountStandardPages(source), progress, &error);
    }
    state.SetLabel(s.name);
    state.counters["cells/s"] = benchmark::Counter(
        static_cast<double>(setup.Cells()) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_PerCellPeer(benchmark::State& state) {
    const Scenario& s = kScenarios[state.range(0)];
    Setup setup(s);
    double peerSeconds = 0;
    for (auto _ : state) {
        QProcess peer;
        peer.start("/usr/bin/python3", {QStringLiteral(QUILTO_BENCH_DIR "/uno_peer.py"),
                                        setup.Path("XlsBase/見積書00.xlsx"),
                                        setup.Path("operations.tsv"), setup.Path("peer.xlsx")});
        if (!peer.waitForFinished(600000) || peer.exitCode() != 0) {
            state.SkipWithError(
                ("peer failed: " + peer.readAllStandardError().toStdString()).c_str());
            return;
        }
        peerSeconds = peer.readAllStandardOutput().trimmed().toDouble();
        state.SetIterationTime(peerSeconds);
    }
    // The engine on the same estimate, timed here too, for the ratio.
    NullProgress progress;
    constexpr int kRuns = 5;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRuns; ++i) ProduceOutput(setup.Job(), progress);
    const double engine =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / kRuns;
    state.SetLabel(s.name);
    state.counters["cells"] = setup.Cells();
    state.counters["cells/s"] = benchmark::Counter(
        static_cast<double>(setup.Cells()) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["engine_ms"] = engine * 1000;
    state.counters["peer/engine"] = peerSeconds / engine;
}

BENCHMARK(BM_Engine)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Floor)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineWithoutWorkbook)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PerCellPeer)
    ->DenseRange(0, 1)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quilto
