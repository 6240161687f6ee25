// What undo and crash recovery cost on the largest estimate the editor can hold (1000
// summary lines, 300 breakdown lines with 300 detail lines each): the work a keystroke adds
// (one step recorded in the history after a cell edit and the calculation the editor runs
// then), the copy handed to the snapshot writer on the typing path, and the snapshot itself
// (serialised and written crash-safely), which runs on the writer's thread. The keystroke is
// also measured while the writer works on snapshots beside it. Goals: a keystroke 16 ms or
// less, a snapshot 50 ms or less of work that never blocks a keystroke.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>
#include <string>

#include "core/editor/edit_history.h"
#include "core/editor/estimate_calculator.h"
#include "core/editor/estimate_io.h"
#include "core/editor/recovery_snapshots.h"
#include "core/foundation/atomic_file.h"

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

// One keystroke's edit committed into a summary cell, the summary calculation the editor runs
// when the cursor moves on, and the step recorded.
void TypeOnce(EstimateDocument& doc, EstimateCalculator& calculator, EditHistory& history, int n) {
    doc.Grid(SheetKind::Summary).SetCell(1 + n % 1000, 5, std::to_string(n % 97 + 1));
    calculator.CalculateSummary(doc);
    history.Record(doc, EditStep{"input", {}, "cell", false});
}

void BM_KeystrokeWithHistory(benchmark::State& state) {
    EstimateCalculator calculator;
    EstimateDocument doc;
    FillMaximal(doc);
    doc.SetCalculations(&calculator);
    EditHistory history;
    history.Reset(doc);
    int n = 0;
    for (auto _ : state) TypeOnce(doc, calculator, history, n++);
    doc.SetCalculations(nullptr);
}
BENCHMARK(BM_KeystrokeWithHistory)->Unit(benchmark::kMillisecond);

// As above with a snapshot handed to the writer after every tenth keystroke (the editor
// does so only when typing pauses or the line changes): the copy is on the typing path,
// the writing beside it.
void BM_KeystrokeWithSnapshots(benchmark::State& state) {
    QTemporaryDir state_home;
    qputenv("XDG_STATE_HOME", state_home.path().toUtf8());
    EstimateCalculator calculator;
    EstimateDocument doc;
    FillMaximal(doc);
    doc.SetCalculations(&calculator);
    EditHistory history;
    history.Reset(doc);
    SnapshotWriter writer(state_home.path());
    int n = 0;
    for (auto _ : state) {
        TypeOnce(doc, calculator, history, n);
        if (++n % 10 == 0) writer.Submit(doc);
    }
    writer.Wait();
    state.counters["snapshots_written"] = writer.Written();
    writer.Discard();
    doc.SetCalculations(nullptr);
}
BENCHMARK(BM_KeystrokeWithSnapshots)->Unit(benchmark::kMillisecond)->UseRealTime();

// The typing path's part of a snapshot: the copy of the document.
void BM_SnapshotCopy(benchmark::State& state) {
    EstimateDocument doc;
    FillMaximal(doc);
    for (auto _ : state) {
        EstimateDocument copy(doc);
        benchmark::DoNotOptimize(&copy);
    }
}
BENCHMARK(BM_SnapshotCopy)->Unit(benchmark::kMillisecond);

// The writer's part: the copy serialised and written crash-safely (flushed and renamed).
void BM_SnapshotWrite(benchmark::State& state) {
    QTemporaryDir dir;
    EstimateDocument doc;
    FillMaximal(doc);
    const QString path = dir.filePath(QStringLiteral("snapshot.dat"));
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string file = EstimateFileBytes(doc);
        bytes = file.size();
        if (!SaveFileAtomically(path, file)) state.SkipWithError("write failed");
    }
    state.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_SnapshotWrite)->Unit(benchmark::kMillisecond);

// The floor of the writer's part: the same bytes written and flushed, nothing else.
void BM_SnapshotWriteFloor(benchmark::State& state) {
    QTemporaryDir dir;
    EstimateDocument doc;
    FillMaximal(doc);
    const std::string file = EstimateFileBytes(doc);
    const QString path = dir.filePath(QStringLiteral("floor.dat"));
    for (auto _ : state) {
        if (!SaveFileAtomically(path, file)) state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_SnapshotWriteFloor)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quilto
