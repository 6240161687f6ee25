// From the main menu's "呼び出し" to a painted estimate list, timed on the real forms:
// the button is clicked, and the clock stops at the first paint of the list's lines (and
// again once that paint is done). Runs offscreen unless a display is given.
//
//   estimate_list_paint_bench [--estimates N] [--runs R]
//   estimate_list_paint_bench --screens DIR   (a few estimates; saves the main menu, the
//                                              list and the deletion question as PNG)
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/foundation/app_setup.h"
#include "app/foundation/qt_questions.h"
#include "app/shell/form_menu1.h"
#include "app/shell/form_menu2.h"
#include "app/shell/quilto_program.h"
#include "core/foundation/cp932.h"
#include "core/store/estimate_file.h"
#include "form_bench_setup.h"

namespace {

using quilto::bench::Cp932;
using quilto::bench::MakeInstallation;
using quilto::bench::WaitForStart;
using quilto::bench::WriteFile;

using quilto::EstimateHeader;
using quilto::HeaderFigure;
using quilto::HeaderText;

void WriteEstimate(int number, const std::string& customer, const std::string& title,
                   const std::string& date, std::int64_t yen, const std::string& printDate) {
    EstimateHeader header;
    header.SetSignature(quilto::kEstimateSignature);
    const std::string text = std::to_string(1000000 + number).substr(1);
    header.SetText(HeaderText::MNo, text);
    header.SetText(HeaderText::MName1, customer);
    header.SetText(HeaderText::MTitle1, title);
    header.SetText(HeaderText::MYMD1, date);
    header.SetText(HeaderText::MYMD4, printDate);
    header.SetFigure(HeaderFigure::MGoukei01, quilto::Fixed4::FromInt(yen));
    WriteFile(QStringLiteral("DAT/m_%1.dat").arg(QString::fromStdString(text)),
              header.Bytes() + std::string(2 * quilto::kLineRecordSize, '\0'));
}

// Clicks `button` of the menu; once the list's lines have been painted for the first time
// the list is closed again. Returns the milliseconds to the first paint event and to the
// end of that paint.
struct Timing {
    double toPaint = 0;
    double painted = 0;
};

class FirstPaint : public QObject {
  public:
    FirstPaint(QWidget* viewport, QWidget* list, QElapsedTimer& clock)
        : viewport_(viewport), list_(list), clock_(clock) {
        viewport_->installEventFilter(this);
    }
    Timing result;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == viewport_ && event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            result.toPaint = static_cast<double>(clock_.nsecsElapsed()) / 1e6;
            QTimer::singleShot(0, list_, [this] {
                result.painted = static_cast<double>(clock_.nsecsElapsed()) / 1e6;
                list_->close();
            });
        }
        return false;
    }

  private:
    QWidget* viewport_;
    QWidget* list_;
    QElapsedTimer& clock_;
    bool seen_ = false;
};

Timing TimeListPaint(quilto::QuiltoProgram& program) {
    QWidget* list = &program.FormMenu2();
    auto* lines = list->findChild<QListWidget*>("ListBox1");
    QElapsedTimer clock;
    FirstPaint watcher(lines->viewport(), list, clock);
    auto* chgBtn = program.FormMenu1().findChild<QPushButton*>("ChgBtn");
    clock.start();
    chgBtn->click();  // returns once the list has closed
    return watcher.result;
}

int Bench(int estimates, int runs) {
    QTemporaryDir root;
    MakeInstallation(root.path());
    const std::string customer = Cp932("株式会社 山田建設");
    const std::string title = Cp932("外壁塗装工事");
    const std::string date = Cp932("令和06年05月20日");
    for (int i = 1; i <= estimates; ++i) {
        WriteEstimate(i, customer + " " + std::to_string(i), title, date, 1000LL * i, "");
    }
    quilto::QtQuestions questions;
    quilto::QuiltoProgram program(questions);
    program.FormMenu1().show();
    if (!WaitForStart(program.FormMenu1())) {
        std::fprintf(stderr, "the start-up failed\n");
        return 1;
    }
    std::vector<Timing> timings;
    for (int run = 0; run < runs; ++run) timings.push_back(TimeListPaint(program));
    std::sort(timings.begin(), timings.end(),
              [](const Timing& a, const Timing& b) { return a.painted < b.painted; });
    const Timing& median = timings[timings.size() / 2];
    std::printf("estimates %d, runs %d, platform %s\n", estimates, runs,
                qPrintable(QGuiApplication::platformName()));
    std::printf(
        "ChgBtn -> first paint of the list: median %.1f ms (painted %.1f ms), "
        "best %.1f ms, worst %.1f ms\n",
        median.toPaint, median.painted, timings.front().painted, timings.back().painted);
    return 0;
}

void Save(const QPixmap& pixmap, const QString& path) {
    if (!pixmap.save(path)) std::fprintf(stderr, "cannot save %s\n", qPrintable(path));
    std::printf("saved %s (%dx%d)\n", qPrintable(path), pixmap.width(), pixmap.height());
}

QPixmap GrabScreen() { return QGuiApplication::primaryScreen()->grabWindow(0); }

int Screens(const QString& out) {
    QDir().mkpath(out);
    const QString target = QDir(out).absolutePath();
    QTemporaryDir root;
    MakeInstallation(root.path());
    WriteEstimate(1, Cp932("株式会社 山田建設"), Cp932("外壁塗装工事（北面・西面）"),
                  Cp932("令和06年05月20日"), 1234567, Cp932("令和06年06月01日"));
    WriteEstimate(2, Cp932("佐藤工務店"), Cp932("屋根改修工事"), Cp932("令和06年06月03日"), 385000,
                  "");
    WriteEstimate(3, Cp932("ＡＢＣハウジング㈱"), Cp932("浴室リフォーム 一式"),
                  Cp932("令和06年07月11日"), 98765432, Cp932("令和06年07月15日"));
    WriteEstimate(10, "Tanaka Komuten", Cp932("外構工事 ｶｰﾎﾟｰﾄ"), "2024/08/01", 0, "");
    WriteFile("DAT/m_000004.dat", std::string(1392, 'x'));  // some other file of that name
    WriteFile("DAT/m_000005.dat", "short");

    quilto::QtQuestions questions;
    quilto::QuiltoProgram program(questions);
    quilto::TFormMenu1& menu = program.FormMenu1();
    questions.SetMainWindow(&menu);
    menu.show();
    if (!WaitForStart(menu)) return 1;
    QApplication::processEvents();
    Save(menu.grab(), target + "/main_menu.png");

    auto* list = &program.FormMenu2();
    auto* lines = list->findChild<QListWidget*>("ListBox1");
    // In the list (deletion mode): grab it, select a line, ask to delete, grab the question,
    // decline, close.
    QTimer::singleShot(500, list, [&] {
        Save(GrabScreen(), target + "/screen_list.png");
        Save(list->grab(), target + "/estimate_list.png");
        lines->setCurrentRow(0);
        QTimer::singleShot(300, list, [&] {
            Save(list->grab(), target + "/estimate_list_selected.png");
            QTimer::singleShot(500, list, [&] {
                Save(GrabScreen(), target + "/delete_question.png");
                QWidget* question = QApplication::activeModalWidget();
                if (question) {
                    Save(question->grab(), target + "/delete_question_form.png");
                    question->findChild<QPushButton*>("BitBtn2")->click();
                }
                QTimer::singleShot(200, list, [list] { list->close(); });
            });
            list->findChild<QPushButton*>("MlistEnt")->click();  // the question is modal
        });
    });
    menu.findChild<QPushButton*>("DelBtn")->click();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int estimates = 10000;
    int runs = 5;
    QString screens;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--estimates") == 0) estimates = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--screens") == 0) screens = QString::fromLocal8Bit(argv[i + 1]);
    }
    if (!std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    quilto::SetUpApplication(app);
    return screens.isEmpty() ? Bench(estimates, runs) : Screens(screens);
}
