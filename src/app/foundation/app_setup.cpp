#include "app/foundation/app_setup.h"

#include <malloc.h>

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QStyleFactory>
#include <QTranslator>

namespace quilto {
namespace {

// Proportional first for captions and messages; the fixed-pitch IPAGothic is what lists
// that line up byte columns ask for themselves.
constexpr const char* kJapaneseFonts[] = {"IPAPGothic", "IPAGothic", "Noto Sans CJK JP"};
constexpr int kPointSize = 10;

}  // namespace

bool LoadQtJapanese(QApplication& app) {
    // The program speaks Japanese whatever the session's language, so Qt's own dialogs
    // (file choosers, standard buttons) do too.
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

QString SetUpApplication(QApplication& app) {
    // An open estimate is copied whole, megabytes at a time, for its recovery snapshots and
    // its saves. glibc raises its threshold for giving memory its own mapping to the size of
    // each such block freed, so later copies come from the heap and stay resident after use;
    // a fixed threshold keeps every large block in a mapping of its own, returned when freed.
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
    QApplication::setApplicationName(QString::fromUtf8(kApplicationName));
    // The desktop matches the running windows to the menu entry, and its icon, by this id.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUILTO_APP_ID));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(QUILTO_APP_ID)));
    if (QStyle* fusion = QStyleFactory::create("Fusion")) QApplication::setStyle(fusion);
    LoadQtJapanese(app);

    const QStringList installed = QFontDatabase::families();
    for (const char* family : kJapaneseFonts) {
        if (installed.contains(QString::fromLatin1(family))) {
            QFont font(QString::fromLatin1(family), kPointSize);
            app.setFont(font);
            return font.family();
        }
    }
    return {};
}

}  // namespace quilto
