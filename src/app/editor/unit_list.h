#pragma once

// The unit list: the registered units dropped down under a grid's unit cell; a choice is
// written into the cell of the tab that shows.

#include <QObject>
#include <QString>

#include "app/editor/editor_context.h"

namespace quilto {

class UnitList : public QObject {
    Q_OBJECT

  public:
    explicit UnitList(EditorContext& context, QObject* parent = nullptr);

    void Open(SheetKind sheet);
    void Choose();
    // refocus: the grid of the tab that shows takes the focus back.
    void Hide(bool refocus);

  signals:
    // A unit was written into the cell (the same as GridController::Edited).
    void Edited(const QString& name, SheetKind sheet, int row, int col, const QString& mergeKey,
                bool multiplier);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    EditorContext& c_;
};

}  // namespace quilto
