// The master windows with a full product file, timed on the real forms: importing a
// 30,000-line CSV file, opening the name registration and selecting the construction name
// that holds every product, and scrolling that product list from top to bottom page by
// page. Runs offscreen unless a display is given.
//
//   masters_bench [--products N] [--runs R]
//   masters_bench --screens DIR   (realistic masters; saves the name registration and the
//                                  lookup guide in both modes as PNG)
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/editor/editor_context.h"
#include "app/editor/form_mvell1.h"
#include "app/editor/grid_controller.h"
#include "app/editor/sheet_grid_view.h"
#include "app/foundation/app_setup.h"
#include "app/foundation/qt_questions.h"
#include "app/masters/form_msyo.h"
#include "app/masters/form_ref1.h"
#include "app/masters/master_list_view.h"
#include "app/shell/form_menu1.h"
#include "app/shell/quilto_program.h"
#include "core/foundation/cp932.h"
#include "core/masters/master_files.h"
#include "core/masters/product_import.h"
#include "core/shell/program_state.h"
#include "core/shell/shell_state.h"
#include "form_bench_setup.h"

namespace {

using quilto::bench::Cp932;
using quilto::bench::MakeInstallation;
using quilto::bench::WriteFile;

using quilto::MasterLists;

// A click on a line of a master list, as the list reports it.
void ClickLine(quilto::MasterListView* list, int row) {
    list->SelectRow(row);
    emit list->Clicked(row);
}

double Milliseconds(const QElapsedTimer& clock) {
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A CSV file of n product lines as a spreadsheet program saves it (UTF-8 with BOM, the
// specification quoted where it holds a comma).
std::string ProductCsv(int n) {
    std::string csv = "\xEF\xBB\xBF";
    for (int i = 1; i <= n; ++i) {
        const std::string number = std::to_string(i);
        csv += "石膏ボード " + number + ",\"9.5mm, 910×1820\",枚," + number + "0,1500\n";
    }
    return csv;
}

int Bench(int products, int runs) {
    QTemporaryDir root;
    MakeInstallation(root.path());
    quilto::QtQuestions questions;
    quilto::ProgramState state(questions);
    const std::string csv = ProductCsv(products);
    WriteFile("in.csv", csv);

    std::vector<double> imports;
    for (int run = 0; run < runs; ++run) {
        MasterLists lists;
        quilto::PutConstructionName(lists, "001", Cp932("内装工事"));
        if (quilto::WriteConstructionNames(lists, state.environment) !=
            quilto::MasterFileResult::kOk) {
            std::fprintf(stderr, "the construction names could not be written\n");
            return 1;
        }
        QElapsedTimer clock;
        clock.start();
        const quilto::ProductImportFileResult result =
            quilto::ImportProductFile(lists, state.environment, "001", QStringLiteral("in.csv"));
        imports.push_back(Milliseconds(clock));
        if (result.report.imported != products ||
            result.writeResult != quilto::MasterFileResult::kOk) {
            std::fprintf(stderr, "the import took %d products\n", result.report.imported);
            return 1;
        }
    }

    // The registration window over the product file the import wrote.
    quilto::TFormMSyo form(state);
    auto* constructions = form.findChild<quilto::MasterListView*>("K_LB1");
    auto* productList = form.findChild<quilto::MasterListView*>("S_LB1");
    std::vector<double> opens;
    std::vector<double> scrolls;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        form.open();
        QApplication::processEvents();
        ClickLine(constructions, 0);
        productList->repaint();
        opens.push_back(Milliseconds(clock));
        if (productList->Count() != products) {
            std::fprintf(stderr, "the product list shows %d lines\n", productList->Count());
            return 1;
        }
        // Page by page to the end, each page painted.
        QScrollBar* bar = productList->verticalScrollBar();
        int pages = 0;
        clock.restart();
        for (bar->setValue(0); bar->value() < bar->maximum(); ++pages) {
            bar->setValue(bar->value() + bar->pageStep());
            productList->viewport()->repaint();
        }
        scrolls.push_back(Milliseconds(clock) / std::max(pages, 1));
        form.findChild<QLineEdit*>("K_NM1")->clear();
        form.findChild<QLineEdit*>("Edit2")->clear();
        form.reject();
    }
    std::printf("products %d, runs %d, platform %s\n", products, runs,
                qPrintable(QGuiApplication::platformName()));
    std::printf("import of a %d-line CSV file (%.1f MB), product file written: median %.1f ms\n",
                products, static_cast<double>(csv.size()) / 1e6, Median(imports));
    std::printf(
        "open the name registration and select the construction name of %d products, "
        "list painted: median %.1f ms\n",
        products, Median(opens));
    std::printf("scroll the product list one page and paint it: median %.2f ms per page\n",
                Median(scrolls));
    return 0;
}

// The editor as far as the guide needs it, for the pictures.
class PictureEditor : public quilto::GuideTarget {
  public:
    std::optional<quilto::SheetKind> sheet = quilto::SheetKind::Breakdown;
    std::optional<quilto::SheetKind> FocusedSheet() const override { return sheet; }
    int CurrentRow(quilto::SheetKind) const override { return 1; }
    std::string Cell(quilto::SheetKind, int, int) const override { return {}; }
    void SetCell(quilto::SheetKind, int, int, const std::string&) override {}
    void FillProduct(const std::string&, const std::string&) override {}
    void MoveCurrentRowDown(quilto::SheetKind) override {}
    void FocusActiveGrid() override {}
    void GuideClosed() override {}
};

void Save(QWidget* window, const QString& path) {
    QApplication::processEvents();
    const QPixmap pixmap = window->grab();
    if (!pixmap.save(path)) std::fprintf(stderr, "cannot save %s\n", qPrintable(path));
    std::printf("saved %s (%dx%d)\n", qPrintable(path), pixmap.width(), pixmap.height());
}

void SaveScreen(const QString& path) {
    QApplication::processEvents();
    const QPixmap pixmap = QGuiApplication::primaryScreen()->grabWindow(0);
    if (!pixmap.save(path)) std::fprintf(stderr, "cannot save %s\n", qPrintable(path));
    std::printf("saved %s (%dx%d)\n", qPrintable(path), pixmap.width(), pixmap.height());
}

// The guide over a new estimate in the editor, from the breakdown and from the detail sheet.
// The masters written by Screens are still in the working folder.
int ScreensOverTheEditor(const QString& target) {
    quilto::QtQuestions questions;
    quilto::QuiltoProgram program(questions);
    program.FormMenu1().show();
    QElapsedTimer waited;
    waited.start();
    while (!program.FormMenu1().StartedUp() && waited.elapsed() < 30000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    quilto::TFormMVell1& editor = program.FormMVell1();
    program.State().shell.entryMode = quilto::EntryMode::kNew;
    if (!editor.Begin()) return 1;
    quilto::EditorContext& context = editor.Context();
    QApplication::processEvents();

    const auto showGuideFrom = [&](quilto::SheetKind sheet, int tab, int column) {
        context.pageControl1->setCurrentIndex(tab);
        editor.activateWindow();
        QApplication::processEvents();
        context.View(sheet)->setFocus();
        context.View(sheet)->SetCurrentCell(1, column);
        QApplication::processEvents();
        editor.Grids().Guide();
        QApplication::processEvents();
    };
    showGuideFrom(quilto::SheetKind::Breakdown, quilto::kBreakdownTab, 3);
    auto* list = program.FormRef1().findChild<quilto::MasterListView*>("ListBox1");
    ClickLine(list, 4);
    QApplication::processEvents();
    SaveScreen(target + "/guide_over_editor_construction.png");
    program.FormRef1().HideGuide();

    // The detail sheet of breakdown line 1, which now holds construction code 005.
    context.View(quilto::SheetKind::Breakdown)->SetCurrentCell(1, 3);
    showGuideFrom(quilto::SheetKind::Detail, quilto::kDetailTab, 3);
    ClickLine(list, 0);
    ClickLine(list, 2);
    SaveScreen(target + "/guide_over_editor_products.png");
    program.FormRef1().CloseGuide();
    editor.done(0);
    return 0;
}

int Screens(const QString& out) {
    QDir().mkpath(out);
    const QString target = QDir(out).absolutePath();
    QTemporaryDir root;
    MakeInstallation(root.path());
    quilto::QtQuestions questions;
    quilto::ProgramState state(questions);

    MasterLists lists;
    const char* names[] = {"仮設工事",           "基礎工事",     "木工事",
                           "屋根・板金工事",     "内装仕上工事", "電気設備工事",
                           "給排水衛生設備工事", "外構工事"};
    for (const char* name : names) {
        quilto::PutConstructionName(lists, quilto::NextConstructionCode(lists).code, Cp932(name));
    }
    struct Product {
        const char* name;
        const char* spec;
        const char* unit;
        const char* cost;
        const char* price;
    };
    const Product interior[] = {
        {"石膏ボード", "9.5mm 910×1820", "枚", "420", "680"},
        {"強化石膏ボード", "12.5mm 910×1820", "枚", "780", "1200"},
        {"ビニルクロス", "量産品 SP-2001", "㎡", "380", "900"},
        {"ビニルクロス（機能性）", "防カビ・抗菌 RE-5123", "㎡", "620", "1350"},
        {"クッションフロア", "1.8mm 住宅用", "㎡", "1100", "2400"},
        {"フローリング", "複合 303×1818 ｵｰｸ", "坪", "9800", "16500"},
        {"巾木", "ソフト巾木 H60", "ｍ", "180", "450"},
        {"廻り縁", "木製 25×25", "ｍ", "220", "520"},
        {"天井下地", "軽鉄 LGS 19型", "㎡", "1400", "2800"},
        {"断熱材", "グラスウール 16K 100mm", "㎡", "650", "1300"},
        {"内装解体", "床・壁・天井", "式", "30000", "55000"},
        {"養生", "床養生 プラベニヤ", "㎡", "150", "350"},
    };
    for (const Product& p : interior) {
        quilto::PutProduct(lists, {"005", quilto::NextProductCode(lists, "005").code, Cp932(p.name),
                                   Cp932(p.spec), Cp932(p.unit), p.cost, p.price, ""});
    }
    quilto::PutProduct(
        lists, {"002", "000001", Cp932("生コンクリート"), "18-8-20 N", "m3", "14000", "18500", ""});
    quilto::SetDefaultUnits(lists);
    quilto::AddUnit(lists, Cp932("坪"));
    quilto::AddUnit(lists, Cp932("枚"));
    if (quilto::WriteConstructionNames(lists, state.environment) != quilto::MasterFileResult::kOk ||
        quilto::WriteProducts(lists, state.environment) != quilto::MasterFileResult::kOk ||
        quilto::WriteUnits(lists, state.environment) != quilto::MasterFileResult::kOk) {
        std::fprintf(stderr, "the master files could not be written\n");
        return 1;
    }

    quilto::TFormMSyo form(state);
    form.open();
    QApplication::processEvents();
    Save(&form, target + "/form_msyo_opened.png");
    auto* constructions = form.findChild<quilto::MasterListView*>("K_LB1");
    auto* productList = form.findChild<quilto::MasterListView*>("S_LB1");
    ClickLine(constructions, 4);
    ClickLine(productList, 3);
    Save(&form, target + "/form_msyo_product.png");
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(4, 4), QPointF(4, 4), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.findChild<QWidget*>("UnitEBL"), &press);
    Save(&form, target + "/form_msyo_units.png");
    form.findChild<QLineEdit*>("K_NM1")->clear();
    form.findChild<QLineEdit*>("Edit2")->clear();
    form.reject();

    PictureEditor editor;
    quilto::TFormRef1 guide(state);
    guide.SetTarget(&editor);
    guide.ShowConstructionGuide(Cp932("検索 ( 工事選択 )"), Cp932("工事選択"));
    Save(&guide, target + "/form_ref1_construction.png");
    guide.HideGuide();
    editor.sheet = quilto::SheetKind::Detail;
    guide.ShowProductGuide(Cp932("検索 ( 商品選択 )"), Cp932("商品選択"), "005");
    Save(&guide, target + "/form_ref1_products.png");
    guide.findChild<QCheckBox*>("ChkJyun")->click();
    Save(&guide, target + "/form_ref1_products_by_name.png");
    guide.CloseGuide();
    return ScreensOverTheEditor(target);
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("DISPLAY") == nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
    QApplication app(argc, argv);
    quilto::SetUpApplication(app);
    int products = 30000;
    int runs = 5;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screens") == 0 && i + 1 < argc) {
            return Screens(QString::fromLocal8Bit(argv[i + 1]));
        }
        if (std::strcmp(argv[i], "--products") == 0 && i + 1 < argc)
            products = std::atoi(argv[++i]);
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) runs = std::atoi(argv[++i]);
    }
    return Bench(std::max(products, 1), std::max(runs, 1));
}
