// quilto-manual-shots OUTPUT_FOLDER [CHECK_FOLDER]: starts the program in the current directory (a
// working folder with some estimates), as a user would see it, and saves pictures of its windows
// for the manual: the main menu, the version window and the estimate list (called up, with
// its first line chosen), and the whole screen with the list on it. With CHECK_FOLDER it
// also opens the manual from the menu, shown in a plain HTML view in place of the
// desktop's browser, and pictures that (manual_opened.png) to check the page by eye. Run
// it under Xvfb; scripts/manual-screenshots.sh prepares everything.

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <functional>

#include "app_setup.h"
#include "foundation/form_msg1.h"
#include "shell/form_about.h"
#include "shell/form_menu1.h"
#include "shell/form_menu2.h"
#include "shell/quilto_program.h"

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
