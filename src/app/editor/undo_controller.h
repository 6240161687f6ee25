#pragma once

// The edit menu's 元に戻す and やり直し over the document's history: each change the grids
// or the cover report becomes a step with the place where it happened; undoing or redoing a
// step shows that place again (tab, line and cell) and recalculates as after any change.
// The history itself lives in the core (EditHistory); this only maps keys, menus and places.

#include <QObject>
#include <QString>
#include <string>

#include "app/editor/editor_context.h"
#include "core/editor/edit_history.h"

namespace quilto {

class SheetDisplay;

inline constexpr char kUndoCaption[] = "元に戻す";
inline constexpr char kRedoCaption[] = "やり直し";

class UndoController : public QObject {
    Q_OBJECT

  public:
    UndoController(EditorContext& context, SheetDisplay& display, QObject* parent = nullptr);

    // A change on a grid, at its cursor (row and col given: that cell). Typing into one
    // cell again and again is one step (mergeKey).
    void RecordGrid(const QString& name, SheetKind sheet, int row = -1, int col = -1,
                    const std::string& mergeKey = {}, bool multiplier = false);
    // A change on the cover, in control `field`.
    void RecordCover(const QString& name, const QString& field);

    void Undo();
    void Redo();

    // An estimate was opened or created: the history starts from it (changed: a recovered
    // estimate, unsaved from the start). Read-only estimates keep none.
    void Reset(bool changed = false);
    void Saved();
    // The editor closed (or is being filled for the next opening): nothing is recorded until
    // the next Reset.
    void Stop();
    bool Modified() const;
    const EditHistory& History() const { return context_.history; }

  signals:
    // A step was recorded, undone or redone. lineChange: not merely more typing in the
    // line the last step was in.
    void Changed(bool lineChange);

  private:
    void Record(const QString& name, EditPlace place, const std::string& mergeKey, bool multiplier);
    void Apply(bool redo);
    void ShowPlace(const EditPlace& place);
    void RefreshActions();

    EditorContext& context_;
    SheetDisplay& display_;
    bool applying_ = false;
    bool stopped_ = true;
    EditPlace last_;
};

}  // namespace quilto
