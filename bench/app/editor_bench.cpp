// The estimate editor timed on the real form with the largest estimate it can hold (1000
// summary lines, 300 breakdown lines each with 300 detail lines): opening it, a keystroke in
// a summary cell until the grid has repainted, Enter (the cell taken, the summary sheet
// calculated, the next cell painted), switching to the detail tab on a full sheet, and the
// resident memory with the estimate open. Runs offscreen unless a display is given.
//
//   editor_bench [--runs R]
//   editor_bench --screens DIR   (a realistic estimate: the four tabs, the close question
//                                 and read-only mode as PNG)
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/editor/cover_panel.h"
#include "app/editor/editor_context.h"
#include "app/editor/form_mvell1.h"
#include "app/editor/grid_controller.h"
#include "app/editor/recovery_controller.h"
#include "app/foundation/app_setup.h"
#include "app/foundation/qt_questions.h"
#include "app/shell/form_menu1.h"
#include "app/shell/quilto_program.h"
#include "core/editor/estimate_io.h"
#include "core/editor/recovery_snapshots.h"
#include "core/foundation/cp932.h"
#include "core/foundation/text_bytes.h"
#include "core/store/estimate_file.h"
#include "core/store/markers.h"
#include "form_bench_setup.h"

namespace {

using quilto::bench::Cp932;
using quilto::bench::MakeInstallation;
using quilto::bench::WaitForStart;
using quilto::bench::WriteFile;

using namespace quilto;

void Line(LineRecord& r, const std::string& code, const std::string& name, const std::string& spec,
          const std::string& unit, std::int64_t quantity, std::int64_t price, std::int64_t cost) {
    r.SetCode(code);
    r.SetName(name);
    r.SetSpec(spec);
    r.SetUnit(unit);
    r.SetQuantity(Fixed4::FromInt(quantity));
    r.SetUnitPrice(Fixed4::FromInt(price));
    r.SetAmount(Fixed4::FromInt(quantity * price));
    r.SetCostUnitPrice(Fixed4::FromInt(cost));
    r.SetCost(Fixed4::FromInt(quantity * cost));
}

// The largest estimate: every summary line, every breakdown line, every detail line used.
void WriteMaximalEstimate() {
    EstimateHeader header;
    EstimateStores stores;
    header.SetText(HeaderText::MName1, Cp932("株式会社 山田建設"));
    header.SetText(HeaderText::MTitle1, Cp932("大規模改修工事"));
    header.SetTaxRate(10);
    const std::string name = Cp932("外壁塗装 シリコン系");
    const std::string spec = Cp932("3回塗り");
    const std::string unit = Cp932("㎡");
    for (int i = 1; i <= kSummaryLines; ++i)
        Line(stores.summary[static_cast<std::size_t>(i)], "", name, "", unit, 12, 3500, 2100);
    for (int i = 1; i <= kBreakdownLines; ++i) {
        Line(stores.breakdown[static_cast<std::size_t>(i)], "001", name, "", unit, 1, 0, 0);
        for (int j = 1; j <= kDetailLines; ++j)
            Line(stores.details.MutableLine(i, j), "000001", name, spec, unit, 3, 1200, 800);
    }
    WriteFile("DAT/m_000001.dat", SerializeEstimate(header, stores));
}

void Settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// The CPU time of this thread: on a machine shared with other work the time on the clock
// also counts the waits for a turn on a processor.
double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double Ms(const QElapsedTimer& clock) { return static_cast<double>(clock.nsecsElapsed()) / 1e6; }

// The floor of an open: the estimate's file read whole into a buffer that is reused.
double BareReadMs(std::vector<char>& buffer) {
    QElapsedTimer clock;
    clock.start();
    const int fd = ::open("DAT/m_000001.dat", O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) std::abort();
    buffer.resize(static_cast<std::size_t>(info.st_size));
    std::size_t got = 0;
    while (got < buffer.size()) {
        const ssize_t n = ::read(fd, buffer.data() + got, buffer.size() - got);
        if (n <= 0) std::abort();
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return Ms(clock);
}

struct Stats {
    double median, best, worst;
};
Stats StatsOf(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.front(), v.back()};
}

// Bytes the program has allocated and not freed (the heap in use), in KiB.
long HeapInUseKiB() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long>((info.uordblks + info.hblkhd) / 1024);
}

// A field of /proc/self/status in KiB (VmRSS, RssAnon, RssFile).
long StatusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(status, line)) {
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
            return std::atol(line.c_str() + length + 1);
    }
    return -1;
}

long ResidentKiB() { return StatusKiB("VmRSS"); }

// To the widget with the focus, or to `view` while none has it (a display without a window
// manager may leave the window inactive, and with it no widget focused).
void SendKey(QWidget* view, int key, const QString& text) {
    const auto target = [view] {
        QWidget* focused = QApplication::focusWidget();
        return focused != nullptr ? focused : view;
    };
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target(), &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target(), &release);
}

int Bench(int runs) {
    QTemporaryDir root;
    MakeInstallation(root.path());
    WriteMaximalEstimate();
    // Building and writing the estimate above is the benchmark's doing, not the program's:
    // the memory it freed goes back to the system before the program's is measured.
    malloc_trim(0);
    QtQuestions questions;
    QuiltoProgram program(questions);
    program.FormMenu1().show();
    if (!WaitForStart(program.FormMenu1())) return 1;
    TFormMVell1& editor = program.FormMVell1();
    EditorContext& c = editor.Context();
    const long before = ResidentKiB();
    const long heapBefore = HeapInUseKiB();

    std::vector<double> open, openCpu, floor, key, enter, detail;
    for (int run = 0; run < runs; ++run) {
        program.State().shell.entryMode = EntryMode::kCallUp;
        program.State().shell.selectedNumber = "000001";
        QElapsedTimer clock;
        const double cpuStart = ThreadCpuMs();
        clock.start();
        editor.Begin();
        Settle();
        open.push_back(Ms(clock));
        openCpu.push_back(ThreadCpuMs() - cpuStart);

        c.pageControl1->setCurrentIndex(kSummaryTab);
        Settle();
        SheetGridView* summary = c.View(SheetKind::Summary);
        for (int k = 0; k < 20; ++k) {
            summary->setFocus();
            summary->SetCurrentCell(500 + k, 5);
            Settle();
            clock.restart();
            SendKey(summary, Qt::Key_7, QStringLiteral("7"));  // opens the cell and types
            summary->viewport()->repaint();
            key.push_back(Ms(clock));
            clock.restart();
            SendKey(summary, Qt::Key_Return, QStringLiteral("\r"));
            summary->viewport()->repaint();
            enter.push_back(Ms(clock));
        }
        c.pageControl1->setCurrentIndex(kBreakdownTab);
        c.View(SheetKind::Breakdown)->SetCurrentCell(150, 3);
        Settle();
        clock.restart();
        c.pageControl1->setCurrentIndex(kDetailTab);
        c.View(SheetKind::Detail)->viewport()->repaint();
        detail.push_back(Ms(clock));
        Settle();
        c.pageControl1->setCurrentIndex(kCoverTab);
        Settle();
        if (run == 0) {
            // Typing wrote recovery snapshots, each from a copy of the estimate: the memory
            // is measured while one is still being written, and again once none is.
            const long writing = ResidentKiB();
            const long heapWriting = HeapInUseKiB();
            if (SnapshotWriter* writer = editor.Recovery().Writer()) writer->Wait();
            std::printf(
                "while a snapshot may be being written: %.1f MB resident, heap in use %.1f MB\n",
                writing / 1024.0, heapWriting / 1024.0);
            std::printf(
                "resident memory: %.1f MB before opening, %.1f MB with the estimate open "
                "(goal 64 MB); heap in use %.1f MB before, %.1f MB open\n",
                before / 1024.0, ResidentKiB() / 1024.0, heapBefore / 1024.0,
                HeapInUseKiB() / 1024.0);
            // Where the resident memory is: pages of files (the program, Qt and the other
            // libraries, fonts) and memory of the process's own (the heap, the window's
            // image), beside what the heap holds free.
            const struct mallinfo2 heap = mallinfo2();
            std::printf(
                "  of it mapped from files (program, libraries, fonts) %.1f MB, the process's "
                "own %.1f MB; the heap holds %.1f MB free (its pages partly given back)\n",
                StatusKiB("RssFile") / 1024.0, StatusKiB("RssAnon") / 1024.0,
                static_cast<double>(heap.fordblks) / 1048576);
        }
        editor.done(0);
        program.State().markers.ReleaseEstimateMarker("000001");
        Settle();
    }
    // The floor after the runs, so that its buffer is not in the memory measured.
    std::vector<char> fileBuffer;
    for (int run = 0; run < runs; ++run) floor.push_back(BareReadMs(fileBuffer));
    auto print = [](const char* what, const std::vector<double>& v) {
        const Stats s = StatsOf(v);
        std::printf("%-58s median %7.1f ms, best %7.1f ms, worst %7.1f ms (%zu)\n", what, s.median,
                    s.best, s.worst, v.size());
    };
    std::printf("platform %s, runs %d\n", qPrintable(QGuiApplication::platformName()), runs);
    print("open the maximal estimate (load, calculate, show)", open);
    print("  the same, CPU time of the program's thread", openCpu);
    print("  floor: the file read into a reused buffer", floor);
    std::printf("the estimate file: %.1f MB\n", static_cast<double>(fileBuffer.size()) / 1048576);
    print("keystroke in a summary cell -> repainted (1000 lines)", key);
    print("Enter: cell taken, summary calculated, repainted", enter);
    print("switch to the detail tab, full 300-line sheet", detail);
    return 0;
}

// --- Screenshots -------------------------------------------------------------------------

void Save(const QPixmap& pixmap, const QString& path) {
    if (!pixmap.save(path)) std::fprintf(stderr, "cannot save %s\n", qPrintable(path));
    std::printf("saved %s (%dx%d)\n", qPrintable(path), pixmap.width(), pixmap.height());
}

void Cell(TextGrid& grid, int row, const std::vector<const char*>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) grid.SetCell(row, int(i) + 1, Cp932(cells[i]));
}

void RealisticEstimate(EstimateDocument& d) {
    d.SetText(HeaderText::MName1, Cp932("株式会社 ﾔﾏﾀﾞ建設 東日本支店 御中"));
    d.SetText(HeaderText::MTitle1, Cp932("都立第三中学校 体育館 屋根・外壁改修工事（第Ⅱ期）"));
    d.SetText(HeaderText::MBasyo1, Cp932("東京都八王子市南大沢四丁目１番地"));
    d.SetText(HeaderText::MYMD1, Cp932("令和 6年11月20日"));
    d.SetText(HeaderText::MYMD2, Cp932("令和 7年 1月 6日"));
    d.SetText(HeaderText::MYMD3, Cp932("令和 7年 3月31日"));
    d.SetText(HeaderText::MKigen1, Cp932("御見積後 ３ヶ月"));
    d.SetText(HeaderText::MTanto1, Cp932("鈴木 一郎"));
    d.SetText(HeaderText::MBango, Cp932("R6-1120-003"));
    d.SetText(HeaderText::MBiko1, Cp932("※ 足場は枠組足場（W=900）を想定しています。"));
    d.SetText(HeaderText::MBiko2, Cp932("※ 産業廃棄物処分費を含みます。"));
    TextGrid& s = d.Grid(SheetKind::Summary);
    Cell(s, 1, {"", "1", "仮設工事", "式", "1", "", "48,500,000", "", "39,200,000", "枠組足場"});
    Cell(s, 2,
         {"", "2", "屋根改修工事（ｶﾊﾞｰ工法）", "㎡", "2450.5", "38,000", "", "29,500", "", ""});
    Cell(s, 3, {"", "3", "外壁改修工事", "㎡", "3820", "24,500", "", "25,800", "", "原価割れ"});
    Cell(s, 4, {"", "4", "鉄部塗装工事", "式", "1", "", "12,800,000", "", "9,100,000", ""});
    Cell(s, 5, {"="});
    Cell(s, 6, {"-", "", "", "", "", "", "1,500,000"});
    Cell(s, 7, {"/"});
    Cell(s, 8, {"%"});
    Cell(s, 9, {"\\"});
    TextGrid& b = d.Grid(SheetKind::Breakdown);
    Cell(b, 1, {"001", "1", "仮設工事", "式", "1", "48,500,000", "39,200,000", "枠組足場 W=900"});
    Cell(b, 2, {"002", "2", "屋根改修工事（ｶﾊﾞｰ工法）", "式", "1", "93,119,000", "72,289,750", ""});
    Cell(b, 3, {"003", "3", "外壁改修工事", "式", "1", "93,590,000", "98,556,000", ""});
    Cell(b, 4, {"=", "", "", "", "", "", "", ""});
    Cell(b, 5, {"-", "", "", "", "", "1,500,000"});
    Cell(b, 6, {"/"});
    Cell(b, 7, {"%"});
    Cell(b, 8, {"\\"});
}

void RealisticDetail(EstimateDocument& d) {
    TextGrid& g = d.Grid(SheetKind::Detail);
    Cell(g, 1,
         {"000101", "1", "既存屋根 高圧洗浄", "15MPa ｹﾚﾝ共", "㎡", "2450.5", "450", "", "320"});
    Cell(g, 2,
         {"000102", "2", "ガルバリウム鋼板 立平葺", "t=0.4 ｶﾗｰGL", "㎡", "2450.5", "28,500", "",
          "22,000"});
    Cell(g, 3,
         {"000103", "3", "改質アスファルトルーフィング", "ｺﾞﾑｱｽ 22kg", "㎡", "2450.5", "1,850", "",
          "1,400"});
    Cell(g, 4,
         {"000104", "4", "棟包み・ケラバ役物", "GL t=0.4", "ｍ", "612", "6,800", "", "7,200"});
    Cell(g, 5, {"000105", "5", "雨樋交換（角型）", "PVC 105", "ｍ", "240", "5,600", "", "4,300"});
    Cell(g, 6, {"=", "", "", "", "", "", "", "", "", "", ""});
    Cell(g, 7, {"-", "", "", "", "", "", "", "1,200,000"});
    Cell(g, 8, {"/"});
}

int Screens(const QString& out) {
    QDir().mkpath(out);
    const QString target = QDir(out).absolutePath();
    QTemporaryDir root;
    MakeInstallation(root.path());
    QtQuestions questions;
    QuiltoProgram program(questions);
    TFormMenu1& menu = program.FormMenu1();
    questions.SetMainWindow(&menu);
    menu.show();
    if (!WaitForStart(menu)) return 1;
    TFormMVell1& editor = program.FormMVell1();
    EditorContext& c = editor.Context();
    program.State().shell.entryMode = EntryMode::kNew;
    editor.Begin();
    editor.move(0, 0);
    editor.activateWindow();
    EstimateDocument& d = program.State().document;
    RealisticEstimate(d);
    d.SetTaxRateText("10");
    c.cover->ShowDocument();
    c.pageControl1->setCurrentIndex(kBreakdownTab);
    c.View(SheetKind::Breakdown)->SetCurrentCell(2, 3);
    c.pageControl1->setCurrentIndex(kDetailTab);
    RealisticDetail(d);
    editor.Grids().Display().StoreDetail();
    editor.Grids().Display().LoadDetail(2);
    c.View(SheetKind::Detail)->SetCurrentCell(3, 3);
    c.pageControl1->setCurrentIndex(kCoverTab);
    c.View(SheetKind::Summary)->SetCurrentCell(2, 6);
    Settle();
    struct Shot {
        int tab;
        const char* file;
    };
    for (const Shot& shot :
         {Shot{kCoverTab, "editor_cover.png"}, Shot{kSummaryTab, "editor_summary.png"},
          Shot{kBreakdownTab, "editor_breakdown.png"}, Shot{kDetailTab, "editor_detail.png"}}) {
        c.pageControl1->setCurrentIndex(shot.tab);
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 300) QApplication::processEvents();
        Save(editor.grab(), target + "/" + shot.file);
    }
    c.pageControl1->setCurrentIndex(kCoverTab);
    // The close question over the editor.
    QTimer::singleShot(600, &editor, [&] {
        Save(QGuiApplication::primaryScreen()->grabWindow(0),
             target + "/editor_close_question.png");
        if (QWidget* question = QApplication::activeModalWidget()) {
            if (auto* third = question->findChild<QPushButton*>("BitBtn3")) third->click();
        }
    });
    editor.findChild<QAction*>("Exit1")->trigger();
    // Read-only: the estimate saved, then held by another copy.
    d.SetText(HeaderText::MNo, "000001");
    editor.findChild<QAction*>("Save1")->trigger();
    editor.done(0);
    const std::string number = Trimmed(d.Text(HeaderText::MNo));
    program.State().markers.ReleaseEstimateMarker(number);
    Markers other(questions, MarkerFoldersOf(program.State().environment));
    other.HoldEstimateMarker(number);
    (void)program.State().markers.CheckEstimateMarker(number);
    program.State().shell.entryMode = EntryMode::kCallUp;
    program.State().shell.selectedNumber = number;
    editor.Begin();
    editor.move(0, 0);
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 300) QApplication::processEvents();
    Save(editor.grab(), target + "/editor_read_only.png");
    editor.done(0);

    // The estimate free again: a line deleted, and the edit menu names the step to undo.
    other.ReleaseEstimateMarker(number);
    program.State().markers.ClearEstimateInUse();
    editor.Begin();
    editor.move(0, 0);
    editor.activateWindow();
    c.pageControl1->setCurrentIndex(kBreakdownTab);
    c.View(SheetKind::Breakdown)->setFocus();
    c.View(SheetKind::Breakdown)->SetCurrentCell(3, 3);
    Settle();
    editor.findChild<QAction*>("Grid_Ldel1")->trigger();
    Settle();
    auto* bar = editor.findChild<QMenuBar*>("MainMenu1");
    auto* edit = editor.findChild<QMenu*>("Edit1Menu");
    bar->setActiveAction(edit->menuAction());
    t.restart();
    while (t.elapsed() < 500) QApplication::processEvents();
    Save(QGuiApplication::primaryScreen()->grabWindow(0), target + "/undo_menu.png");
    edit->hide();

    // Those edits left behind by a copy that ended without closing, offered when the
    // estimate is opened again.
    {
        SnapshotWriter left(QDir::currentPath());
        left.WriteNow(d);
    }
    editor.done(0);
    program.State().markers.ReleaseEstimateMarker(number);
    QFile(EstimateFilePath(program.State().environment, number))
        .setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
    QTimer::singleShot(600, &editor, [&] {
        Save(QGuiApplication::primaryScreen()->grabWindow(0),
             target + "/undo_recovery_question.png");
        if (QWidget* question = QApplication::activeModalWidget()) {
            if (auto* later = question->findChild<QPushButton*>("BitBtn3")) later->click();
        }
    });
    editor.Begin();
    editor.done(0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    quilto::SetUpApplication(app);
    int runs = 5;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) runs = std::atoi(argv[++i]);
        if (std::strcmp(argv[i], "--screens") == 0 && i + 1 < argc)
            return Screens(QString::fromLocal8Bit(argv[++i]));
    }
    return Bench(std::max(runs, 1));
}
