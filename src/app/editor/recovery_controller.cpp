#include "app/editor/recovery_controller.h"

#include <QDir>
#include <QTimer>

#include "app/editor/undo_controller.h"

namespace quilto {

RecoveryController::RecoveryController(EditorContext& context, UndoController& undo,
                                       QObject* parent)
    : QObject(parent), context_(context), undo_(undo), pause_(new QTimer(this)) {
    pause_->setObjectName("SnapshotTimer");
    pause_->setSingleShot(true);
    pause_->setInterval(kSnapshotPauseMilliseconds);
    connect(pause_, &QTimer::timeout, this, &RecoveryController::Snapshot);
    connect(&undo_, &UndoController::Changed, this, &RecoveryController::Changed);
}

RecoveryController::~RecoveryController() = default;

bool RecoveryController::Ask(Questions& questions, const RecoveryRecord& record,
                             bool heldElsewhere) {
    const ButtonAnswer answer =
        questions.AskButtons(RecoveryQuestion(record, heldElsewhere), kRecoveryCaption,
                             kRecoverButton, kDiscardButton, kLaterButton);
    if (answer == ButtonAnswer::kSecond) DiscardSnapshot(record);
    return answer == ButtonAnswer::kFirst;
}

std::optional<RecoveryRecord> RecoveryController::Offer(const std::string& number) {
    return SnapshotToOffer(QDir::currentPath(), number, context_.program.environment);
}

void RecoveryController::Changed(bool lineChange) {
    if (!undo_.Modified()) {
        // Back where it was saved: nothing to recover.
        pause_->stop();
        if (writer_) writer_->Discard();
        return;
    }
    if (lineChange) {
        Snapshot();
    } else {
        pause_->start();
    }
}

void RecoveryController::Snapshot() {
    pause_->stop();
    if (context_.ReadOnly() || !undo_.Modified()) return;
    if (!writer_) writer_ = std::make_unique<SnapshotWriter>(QDir::currentPath());
    // Only the copy is taken here; serialising and writing happen on the writer's thread.
    writer_->Submit(context_.document);
}

void RecoveryController::Adopted(const RecoveryRecord& from) {
    if (context_.ReadOnly()) return;
    if (!writer_) writer_ = std::make_unique<SnapshotWriter>(QDir::currentPath());
    if (writer_->WriteNow(context_.document)) DiscardSnapshot(from);
}

void RecoveryController::Saved() {
    pause_->stop();
    if (writer_) writer_->Discard();
}

void RecoveryController::Closed() { Saved(); }

}  // namespace quilto
