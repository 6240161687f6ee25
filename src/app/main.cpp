// quilto: the estimate program. It works in the current directory (the working folder).

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/foundation/app_setup.h"
#include "app/foundation/qt_questions.h"
#include "app/shell/form_menu1.h"
#include "app/shell/quilto_program.h"

namespace {

// Qt aborts when it cannot reach a display; say so plainly instead.
bool HasDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform) return true;
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

}  // namespace

int main(int argc, char** argv) {
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "quilto: no display found (DISPLAY and WAYLAND_DISPLAY are not set); "
                     "start it in a desktop session.\n");
        return 2;
    }
    QApplication app(argc, argv);
    quilto::SetUpApplication(app);  // the application title "QuiltoⅡ"

    // The question form FormMsg1 is made here, once, and reused for every question.
    quilto::QtQuestions questions;
    quilto::QuiltoProgram program(questions);
    quilto::TFormMenu1& menu = program.FormMenu1();
    questions.SetMainWindow(&menu);
    // The program ends when the main menu closes, whatever other window is still open.
    QObject::connect(&menu, &quilto::TFormMenu1::ProgramEnded, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    menu.show();
    const int status = app.exec();
    // A start that failed the environment check ends the program as a failure.
    if (menu.StartedUp() && menu.StartUpResult() < 0) return 1;
    return status;
}
