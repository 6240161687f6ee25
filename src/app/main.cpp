// quilto: the estimate program. It works in the current directory (the working folder).

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app_setup.h"
#include "foundation/qt_questions.h"

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
    quilto::SetUpApplication(app);

    // Until the main menu takes over, the question form is the first window; the program
    // ends when it closes.
    quilto::QtQuestions questions;
    questions.AskButtons({}, {}, "Ｏ Ｋ", {}, {});
    return 0;
}
