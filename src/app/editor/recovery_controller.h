#pragma once

// When the editor's snapshots of unsaved edits are taken and removed: a few seconds after
// typing pauses and at once when a step changes another line, never while the estimate is
// as it was saved; a save or a normal close removes the snapshot. Opening an estimate with
// a snapshot newer than its file asks whether to bring the edits back.

#include <QObject>
#include <memory>
#include <string>

#include "app/editor/editor_context.h"
#include "core/editor/recovery_snapshots.h"

class QTimer;

namespace quilto {

class UndoController;

inline constexpr int kSnapshotPauseMilliseconds = 3000;

class RecoveryController : public QObject {
    Q_OBJECT

  public:
    RecoveryController(EditorContext& context, UndoController& undo, QObject* parent = nullptr);
    ~RecoveryController() override;

    // What to do about the snapshot `record`: asks 復元する / 破棄する / 後で; true for
    // recovering it. 破棄する discards it here; anything else leaves it for later.
    // heldElsewhere says in the question that it opens read-only.
    static bool Ask(Questions& questions, const RecoveryRecord& record, bool heldElsewhere);
    // The snapshot to offer when estimate `number` is opened, if any.
    std::optional<RecoveryRecord> Offer(const std::string& number);

    // A recovered estimate now in the editor: its own snapshot is written at once, then the
    // one it came from goes (unless the estimate is read-only, which cannot be saved).
    void Adopted(const RecoveryRecord& from);
    // Saved, or closed on purpose: the snapshot goes.
    void Saved();
    void Closed();

    // The writer of this editor (made at the first snapshot); nullptr before.
    SnapshotWriter* Writer() const { return writer_.get(); }

  private:
    void Changed(bool lineChange);
    void Snapshot();

    EditorContext& context_;
    UndoController& undo_;
    QTimer* pause_;
    std::unique_ptr<SnapshotWriter> writer_;
};

}  // namespace quilto
