#include "app/foundation/opening_failure.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include "core/foundation/desktop_opening.h"
#include "core/foundation/questions.h"

namespace quilto {

void TellOpeningFailed(Questions& questions, const std::string& lead, const QString& path,
                       const std::function<bool(const QUrl&)>& openUrl) {
    const std::string message =
        OpeningFailureMessage(lead, path, FindOpeningGap(path, SystemOpeningPlaces()));
    const ButtonAnswer chosen =
        questions.AskButtons(message, "", kCopyPathButton, kOpenFolderButton, kCloseButton);
    if (chosen == ButtonAnswer::kFirst) {
        QGuiApplication::clipboard()->setText(QDir::toNativeSeparators(path));
    } else if (chosen == ButtonAnswer::kSecond) {
        const QString folder = QFileInfo(path).absolutePath();
        // A file manager may be missing as well: the folder is then named for the user.
        if (!openUrl(QUrl::fromLocalFile(folder)))
            questions.Inform("フォルダーを開けませんでした。 (" +
                             QDir::toNativeSeparators(folder).toStdString() + ")");
    }
}

}  // namespace quilto
