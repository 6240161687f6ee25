#include "shell/main_menu_actions.h"

#include <QDir>
#include <QFileInfo>

#include "foundation/file_helpers.h"
#include "shell/program_state.h"

namespace quilto {

bool DeleteLeftoverMarkersAsked(ProgramState& program) {
    if (!program.questions.AskOkCancel(kLeftoverQuestion, kLeftoverCaption)) return false;
    program.markers.DeleteLeftoverMarkers();
    return true;
}

int VersionWindowInterval(int requestedMilliseconds) {
    if (requestedMilliseconds < 100 || requestedMilliseconds > 90000) return 1000;
    return requestedMilliseconds;
}

QString ManualPath() {
    const QFileInfo manual(ResolveCaseInsensitive(QString::fromUtf8(kManualFileName)));
    if (!manual.isFile()) return {};
    return manual.absoluteFilePath();
}

}  // namespace quilto
