#pragma once

// One estimate grid on screen (StringGrid1 breakdown, StringGrid2 detail, StringGrid3
// summary): a table view over the grid's model with the columns, widths and hidden columns
// of its sheet. It reports what the editor's handlers react to (a cell left for another, a
// mouse press, an edit) and offers the cursor and in-place editor operations the keys use;
// the keys themselves are handled by the editor, which sees every key first.

#include <QTableView>

#include "core/editor/sheet_layout.h"

namespace quilto {

class SheetGridDelegate;
class SheetGridModel;

class SheetGridView : public QTableView {
    Q_OBJECT

  public:
    SheetGridView(SheetGridModel* model, SheetGridDelegate* delegate, QWidget* parent = nullptr);

    SheetKind Sheet() const { return sheet_; }
    SheetGridModel* Model() const { return model_; }
    SheetGridDelegate* Delegate() const { return delegate_; }

    // The cursor in grid coordinates (row 1 = first data row).
    int CurrentGridRow() const;
    int CurrentCol() const;
    void SetCurrentCell(int gridRow, int col);
    // The grid's cell rectangle on screen, in view (viewport) coordinates.
    QRect CellRect(int gridRow, int col) const;

    bool IsEditing() const { return state() == QAbstractItemView::EditingState; }
    // Whether widget is the in-place editor of a cell of some sheet grid.
    static bool IsCellEditor(const QWidget* widget);
    // Takes the in-place editor's text into the cell and closes the editor.
    void CommitEdit();
    // Insert and Ctrl+Enter: opens the in-place editor, or closes it keeping its text.
    void ToggleEdit();
    // The input method follows the column: on in text columns, off elsewhere.
    void UpdateInputMethod();
    // Greyed and disabled (a special breakdown line has no detail sheet), or white.
    void SetGreyed(bool greyed);

  signals:
    // The cursor moved from (previousRow, previousCol) to the current cell.
    void CellSelected(int previousRow, int previousCol);
    void MouseDown(int gridRow, int col, Qt::MouseButton button);

  protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    SheetKind sheet_;
    SheetGridModel* model_;
    SheetGridDelegate* delegate_;
};

}  // namespace quilto
