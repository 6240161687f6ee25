// quilto: the estimate program. It works in a working folder: the one named with --folder,
// the current directory when it holds sp_jis.dat, or the folder chosen at the first start
// and remembered for the user.

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/foundation/app_setup.h"
#include "app/foundation/qt_questions.h"
#include "app/shell/form_menu1.h"
#include "app/shell/quilto_program.h"
#include "core/foundation/process_setup.h"
#include "core/shell/working_folder.h"

namespace {

constexpr char kUsage[] =
    "Usage: quilto [--folder DIR]\n"
    "The estimate program. It works in a working folder: DIR when --folder names it, else\n"
    "the current directory when it holds sp_jis.dat, else the folder chosen at the first\n"
    "start, remembered in $XDG_CONFIG_HOME/quilto/quilto.conf. At the first start it asks\n"
    "where to keep the data (proposing Quilto in the documents folder); a folder named with\n"
    "--folder then answers that question. A new or incomplete working folder is laid out\n"
    "from the installation's skeleton (only missing files are added).\n\n"
    "Options:\n"
    "  --folder DIR  work in DIR (made and laid out when needed)\n"
    "  --help        show this help\n"
    "  --version     show the version\n";

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
    quilto::IgnoreFileSizeSignal();
    QString named;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("quilto %s\n", QUILTO_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--folder") == 0 && i + 1 < argc) {
            named = QString::fromLocal8Bit(argv[++i]);
        } else if (std::strncmp(argv[i], "--folder=", 9) == 0) {
            named = QString::fromLocal8Bit(argv[i] + 9);
        } else {
            std::fprintf(stderr, "quilto: unknown argument '%s'\n\n%s", argv[i], kUsage);
            return 2;
        }
    }
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

    // The folder is settled before any form reads a file: everything works relative to it.
    const quilto::FolderStart start{named, QDir::currentPath(), quilto::UserConfigFile(),
                                    quilto::SkeletonFolder(QCoreApplication::applicationDirPath()),
                                    quilto::ProposedWorkingFolder()};
    const std::optional<QString> folder = quilto::SettleWorkingFolder(start, questions);
    if (!folder) return 1;
    if (!QDir::setCurrent(*folder)) {
        questions.Inform("作業フォルダ " + folder->toStdString() + " に入れません。");
        return 1;
    }

    quilto::QuiltoProgram program(questions);
    quilto::TFormMenu1& menu = program.FormMenu1();
    menu.SetWorkingFolder(*folder, start.configFile, start.skeleton);
    questions.SetMainWindow(&menu);
    // The program ends when the main menu closes, whatever other window is still open.
    QObject::connect(&menu, &quilto::TFormMenu1::ProgramEnded, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    menu.show();
    const int status = app.exec();
    // A start that failed the environment check ends the program as a failure.
    if (menu.StartedUp() && menu.StartUpResult() != quilto::StartUpCheckResult::kOk) return 1;
    return status;
}
