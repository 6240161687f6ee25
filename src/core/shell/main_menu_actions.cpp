#include "core/shell/main_menu_actions.h"

#include <QDir>
#include <QFileInfo>

#include "core/foundation/file_helpers.h"
#include "core/shell/interrupted_writes.h"
#include "core/shell/program_state.h"
#include "core/store/markers.h"

namespace quilto {

std::string LeftoverReport(const LeftoverDeletion& done) {
    std::string report = "不要ファイルを " + std::to_string(done.deleted) + " 件削除しました。";
    if (done.held > 0) {
        report += "\n使用中のため " + std::to_string(done.held) + " 件残しました。";
    }
    if (done.failed > 0) {
        report += "\n削除できなかったファイルが " + std::to_string(done.failed) + " 件あります。";
    }
    return report;
}

bool DeleteLeftoverMarkersAsked(ProgramState& program) {
    if (!program.questions.AskOkCancel(kLeftoverQuestion, kLeftoverCaption)) return false;
    LeftoverDeletion done = program.markers.DeleteLeftoverMarkers();
    // The temporary files of interrupted writes are leftovers too; a write going on stays.
    const InterruptedWrites writes = RemoveInterruptedWrites(WrittenFolders(program.environment));
    done.deleted += static_cast<int>(writes.removed.size());
    done.held += writes.held;
    done.failed += static_cast<int>(writes.kept.size());
    program.questions.Inform(LeftoverReport(done));
    return true;
}

int VersionWindowInterval(int requestedMilliseconds) {
    if (requestedMilliseconds < 100 || requestedMilliseconds > 90000) return 1000;
    return requestedMilliseconds;
}

QString ManualPath(const QString& programFolder) {
    const QDir folder(programFolder);
    const QString built = folder.absoluteFilePath(QStringLiteral("manual/index.html"));
    const QString installed = QDir::cleanPath(
        folder.absoluteFilePath(QStringLiteral("../share/quilto/manual/index.html")));
    return QFileInfo(built).isFile() ? built : installed;
}

std::string ManualErrorMessage(const QString& manualPath) {
    return "＊ ファイル読取エラー発生。 ( " + manualPath.toStdString() + " )";
}

}  // namespace quilto
