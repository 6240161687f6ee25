#pragma once

// What the form benchmarks share: a scratch installation to start the program in, files
// written into it, and the wait for the main menu's start-up.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/shell/form_menu1.h"
#include "core/foundation/cp932.h"

namespace quilto::bench {

inline std::string Cp932(const char* utf8) { return Utf8ToCp932(utf8).value_or("?"); }

// A benchmark cannot go on without its files: a failed write ends it.
inline void WriteFile(const QString& path, const std::string& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size())) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

// The installation's folders under root, which becomes the working folder.
inline void MakeInstallation(const QString& root) {
    QDir dir(root);
    for (const char* folder : {"DAT", "MST", "XlsBase", "Xls"}) dir.mkdir(folder);
    QDir::setCurrent(root);
}

// True once the main menu has started up without an error (within 30 s).
inline bool WaitForStart(TFormMenu1& menu) {
    QElapsedTimer waited;
    waited.start();
    while (!menu.StartedUp() && waited.elapsed() < 30000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return menu.StartedUp() && menu.StartUpResult() == StartUpCheckResult::kOk;
}

}  // namespace quilto::bench
