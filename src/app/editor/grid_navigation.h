#pragma once

// Moving about the editor: the focus entering and leaving a grid, the tabs, the cell the
// cursor lands on after a key or a click, and the detail sheet's line stepper. What the
// cursor leaves behind is formatted and calculated on the way.

#include <QObject>
#include <optional>

#include "app/editor/editor_context.h"

namespace quilto {

class SheetDisplay;
class UnitList;

class GridNavigation : public QObject {
    Q_OBJECT

  public:
    GridNavigation(EditorContext& context, SheetDisplay& display, UnitList& units,
                   QObject* parent = nullptr);

    // The grid that holds the focus (or last held it within the editor).
    std::optional<SheetKind> ActiveGrid() const { return active_; }
    // The active grid when its tab is the one that shows; the line commands need both.
    std::optional<SheetKind> FocusedOnVisibleTab() const;
    // The focus moved to `widget` inside the editor: a grid left, another entered.
    void FocusMovedTo(QWidget* widget);
    void GridEnter(SheetKind sheet);
    void GridExit(SheetKind sheet);
    void TabEntered(int tab);
    // The buttons that only make sense on a grid.
    void EnableGridCommands(bool enabled);

    // Enter left the cell: on to the next typable column, past the last to the next row.
    void MoveAfterEnter(SheetGridView* view);
    // Home, Ctrl+Home and the arrows outside cell editing: true when the key was used.
    bool CursorKey(SheetGridView* view, int key, Qt::KeyboardModifiers mods);

    void ShowCover();        // F11
    void NextTab();          // F12
    void StepLine(int row);  // UpDown1
    // After the lookup guide filled a row: the cursor to the row the next entry goes to.
    void MoveCurrentRowDown(SheetKind sheet);
    void FocusActiveGrid();
    // A cell of `sheet` was typed into; the breakdown is then calculated twice on leaving
    // the cell (see CellSelected).
    void CellEdited(SheetKind sheet);

  private:
    void CellSelected(SheetKind sheet, int previousRow, int previousCol);
    void MouseDown(SheetKind sheet, int row, int col, Qt::MouseButton button);

    EditorContext& c_;
    SheetDisplay& display_;
    UnitList& units_;
    std::optional<SheetKind> active_;
    bool breakdownEdited_ = false;
};

}  // namespace quilto
