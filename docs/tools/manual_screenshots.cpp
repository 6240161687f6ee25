// quilto-manual-shots OUTPUT_FOLDER [CHECK_FOLDER]: starts the program in the current directory (a
// working folder with some estimates), as a user would see it, and saves pictures of its windows
// for the manual: the main menu, the version window and the estimate list (called up, with
// its first line chosen), the whole screen with the list on it, the editor (cover and
// breakdown of the first estimate), the output window and the preview of the estimate (at
// fit page and fit width), and the name registration, settings and backup
// windows. With CHECK_FOLDER it
// also opens the manual from the menu, shown in a plain HTML view in place of the
// desktop's browser, and pictures that (manual_opened.png) to check the page by eye. Run
// it under Xvfb; scripts/manual-screenshots.sh prepares everything.

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>

#include "app/editor/form_mvell1.h"
#include "app/editor/sheet_grid_view.h"
#include "app/excel/form_mxls2.h"
#include "app/excel/pdf_preview_window.h"
#include "app/foundation/app_setup.h"
#include "app/foundation/form_msg1.h"
#include "app/masters/form_msyo.h"
#include "app/masters/master_list_view.h"
#include "app/settings/form_mbup1.h"
#include "app/settings/form_mconf.h"
#include "app/shell/form_about.h"
#include "app/shell/form_menu1.h"
#include "app/shell/form_menu2.h"
#include "app/shell/quilto_program.h"
#include "core/foundation/cp932.h"
#include "core/masters/master_files.h"
#include "core/settings/environment_dialog.h"
#include "core/shell/shell_state.h"

namespace {

// Agrees to whatever the start-up asks (a fresh folder gets its files) and says nothing.
class Agreeing : public quilto::Questions {
  public:
    int AskButtons(const std::string&, const std::string&, const std::string&, const std::string&,
                   const std::string&) override {
        return 1;
    }
    bool AskOkCancel(const std::string&, const std::string&) override { return true; }
    void Inform(const std::string& message, const std::string&) override {
        std::fprintf(stderr, "message: %s\n", message.c_str());
    }
    std::optional<std::string> AskText(const std::string&, const std::string&,
                                       const std::string&) override {
        return std::nullopt;
    }
};

void Wait(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool Save(const QPixmap& picture, const QDir& out, const char* name) {
    const bool saved = picture.save(out.filePath(QString::fromLatin1(name)));
    std::fprintf(stderr, "%s %s\n", saved ? "saved" : "could not save", name);
    return saved;
}

std::string Sjis(const char* utf8) { return quilto::Utf8ToCp932(utf8).value_or(std::string()); }

// A few construction names and products for the name registration window.
void WriteMasters(quilto::ProgramState& state) {
    quilto::MasterLists lists;
    quilto::PutConstructionName(lists, "001", Sjis("仮設工事"));
    quilto::PutConstructionName(lists, "002", Sjis("外壁塗装工事"));
    quilto::PutConstructionName(lists, "003", Sjis("付帯部塗装工事"));
    const char* products[][7] = {
        {"001", "000001", "単管足場", "H=10m", "㎡", "500", "800"},
        {"002", "000002", "高圧洗浄", "", "㎡", "150", "250"},
        {"002", "000003", "下塗り", "シーラー", "㎡", "450", "800"},
        {"002", "000004", "中塗り・上塗り", "シリコン樹脂塗料", "㎡", "1300", "2200"},
        {"002", "000005", "コーキング打替え", "変成シリコン", "m", "600", "1000"},
    };
    for (const auto& p : products) {
        quilto::PutProduct(lists, {p[0], p[1], Sjis(p[2]), Sjis(p[3]), Sjis(p[4]), p[5], p[6], ""});
    }
    if (quilto::WriteConstructionNames(lists, state.environment) != quilto::MasterFileResult::kOk ||
        quilto::WriteProducts(lists, state.environment) != quilto::MasterFileResult::kOk)
        std::fprintf(stderr, "the sample master files could not be written\n");
    quilto::LoadMasterLists(state.masters, state.environment);
}

// A left click at the middle of a list's row, as the mouse gives it.
void ClickRow(quilto::MasterListView* view, int row) {
    const QPointF at = view->visualRect(view->model()->index(row, 0)).center();
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, view->viewport()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &event);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: quilto-manual-shots OUTPUT_FOLDER [CHECK_FOLDER]\n");
        return 2;
    }
    QApplication app(argc, argv);
    quilto::SetUpApplication(app);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    Agreeing questions;
    quilto::QuiltoProgram program(questions);
    quilto::TFormMenu1& menu = program.FormMenu1();
    menu.show();
    while (!menu.StartedUp()) QApplication::processEvents(QEventLoop::AllEvents, 20);
    Wait(300);
    bool ok = Save(menu.grab(), out, "main_menu.png");

    menu.ShowVersionWindow(1000);
    Wait(300);
    ok = Save(program.FormAbout().grab(), out, "about.png") && ok;
    program.FormAbout().close();

    // The list is modal: it is pictured from inside its own event loop.
    QTimer::singleShot(500, [&] {
        quilto::TFormMenu2& list = program.FormMenu2();
        if (auto* lines = list.findChild<QListWidget*>(QStringLiteral("ListBox1"))) {
            lines->setCurrentRow(0);
        }
        Wait(300);
        ok = Save(list.grab(), out, "estimate_list.png") && ok;
        ok = Save(list.screen()->grabWindow(0), out, "estimate_list_screen.png") && ok;
        list.reject();
    });
    menu.findChild<QPushButton*>(QStringLiteral("ChgBtn"))->click();

    // The list searched: a name typed into the search bar and an amount range.
    QTimer::singleShot(500, [&] {
        quilto::TFormMenu2& list = program.FormMenu2();
        const auto type = [&list](const char* field, const char* text) {
            if (auto* edit = list.findChild<QLineEdit*>(QString::fromLatin1(field))) {
                edit->setFocus();
                edit->setText(QString::fromUtf8(text));
            }
        };
        type("SearchMin", "500,000");
        type("SearchText", "建設");
        Wait(300);
        ok = Save(list.grab(), out, "estimate_list_search.png") && ok;
        list.reject();
    });
    menu.findChild<QPushButton*>(QStringLiteral("ChgBtn"))->click();

    // The question before a deletion, as the three-button form shows it.
    quilto::TFormMsg1 question;
    QTimer::singleShot(500, [&] {
        ok = Save(question.grab(), out, "delete_question.png") && ok;
        question.reject();
    });
    question.AskButtons(
        "指定の見積書を削除します。\n\n管理No : 000002\nお客様名 : 株式会社 佐藤建設\n"
        "工事名称 : ＡＢＣマンション大規模修繕工事（第二期）",
        "確 認", "削 除", "キャンセル", "");

    // The editor with the first estimate called up: its cover and its breakdown.
    WriteMasters(program.State());
    program.State().shell.entryMode = quilto::EntryMode::kCallUp;
    program.State().shell.selectedNumber = "000001";
    quilto::TFormMVell1& editor = program.FormMVell1();
    if (editor.Begin()) {
        Wait(500);
        ok = Save(editor.grab(), out, "editor_cover.png") && ok;
        auto* tabs = editor.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
        for (int i = 0; tabs != nullptr && i < tabs->count(); ++i) {
            if (tabs->tabText(i).contains(QStringLiteral("内訳"))) tabs->setCurrentIndex(i);
        }
        Wait(300);
        ok = Save(editor.grab(), out, "editor_breakdown.png") && ok;

        // The itemised estimate: the detail sheet of line 2 with its class column, and the
        // window 材料費等内訳 beside the editor.
        auto* breakdown = editor.findChild<quilto::SheetGridView*>(QStringLiteral("StringGrid1"));
        if (breakdown) breakdown->SetCurrentCell(2, 3);
        for (int i = 0; tabs != nullptr && i < tabs->count(); ++i) {
            if (tabs->tabText(i).contains(QStringLiteral("明細"))) tabs->setCurrentIndex(i);
        }
        Wait(400);
        ok = Save(editor.grab(), out, "itemised_editor.png") && ok;
        if (auto* itemised = editor.findChild<QAction*>(QStringLiteral("Itemised1"))) {
            itemised->trigger();
            Wait(400);
            if (auto* window = editor.findChild<QDialog*>(QStringLiteral("FormItemised"))) {
                ok = Save(window->grab(), out, "itemised_window.png") && ok;
                window->hide();
            }
        }
        for (int i = 0; tabs != nullptr && i < tabs->count(); ++i) {
            if (tabs->tabText(i).contains(QStringLiteral("内訳"))) tabs->setCurrentIndex(i);
        }

        // The other windows, each shown over the editor as its menu or button opens it.
        const auto picture = [&](QDialog& window, const char* name,
                                 const std::function<void()>& prepare) {
            window.show();
            Wait(400);
            if (prepare) prepare();
            Wait(300);
            ok = Save(window.grab(), out, name) && ok;
            window.hide();
        };
        picture(program.FormMXls2(), "output_dialog.png", {});
        // プレビュー of the same estimate: its first page whole, then at the page's width.
        {
            quilto::TFormMXls2& output = program.FormMXls2();
            output.show();
            Wait(400);
            bool previewed = false;
            QTimer poll;
            poll.setInterval(200);
            QObject::connect(&poll, &QTimer::timeout, [&] {
                auto* preview =
                    qobject_cast<quilto::PdfPreviewWindow*>(QApplication::activeModalWidget());
                if (preview == nullptr || previewed) return;
                poll.stop();
                Wait(600);
                ok = Save(preview->grab(), out, "preview_fit_page.png") && ok;
                preview->SetZoom(quilto::PdfPreviewWindow::Zoom::kFitWidth);
                Wait(400);
                ok = Save(preview->grab(), out, "preview_fit_width.png") && ok;
                previewed = true;
                preview->reject();
            });
            poll.start();
            output.findChild<QPushButton*>(QStringLiteral("AllOn"))->click();
            output.findChild<QPushButton*>(QStringLiteral("PreviewBtn"))->click();
            ok = previewed && ok;
            output.hide();
        }
        quilto::TFormMSyo& registration = program.FormMSyo();
        picture(registration, "name_registration.png", [&] {
            auto* constructions =
                registration.findChild<quilto::MasterListView*>(QStringLiteral("K_LB1"));
            if (constructions != nullptr && constructions->Count() > 1) ClickRow(constructions, 1);
        });
        // A firm's printed company block, so the settings and the invoice made after this
        // run show an issuer.
        {
            quilto::Environment& environment = program.State().environment;
            const std::pair<const char*, const char*> company[] = {
                {"Edit1", "株式会社 桜丘塗装"},
                {"Edit2", "154-0015"},
                {"Edit3", "東京都世田谷区桜新町一丁目2番3号"},
                {"Edit5", "03-1234-5678"},
                {"Edit6", "03-1234-5679"},
                {"Edit7", "代表取締役 桜井 一郎"},
                {"Edit8", "田中"}};
            for (const auto& [control, text] : company)
                environment.Settings().SetText(control, quilto::Utf8ToCp932(text).value_or(""));
            std::string message;
            if (quilto::SaveEnvironmentSettings(environment, &message) != 0) {
                std::fprintf(stderr, "%s\n", message.c_str());
                ok = false;
            }
        }
        picture(program.FormMConf(), "settings.png", {});
        // The options tab, with the statutory welfare rate below the tax rate.
        picture(program.FormMConf(), "settings_options.png", [&] {
            if (auto* pages =
                    program.FormMConf().findChild<QTabWidget*>(QStringLiteral("PageControl1")))
                pages->setCurrentIndex(1);
        });
        picture(program.FormMBup1(), "backup.png", {});
    } else {
        ok = false;
    }

    if (argc == 3) {
        QTextBrowser page;
        page.resize(1000, 900);
        menu.SetUrlOpener([&](const QUrl& url) {
            page.setSource(url);
            page.show();
            Wait(500);
            ok =
                Save(page.grab(), QDir(QString::fromLocal8Bit(argv[2])), "manual_opened.png") && ok;
            return true;
        });
        menu.findChild<QAction*>(QStringLiteral("MManual1"))->trigger();
    }
    return ok ? 0 : 1;
}
