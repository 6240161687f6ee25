#pragma once

// The editor's grids put together: the calculations and what shows them (SheetDisplay),
// moving about (GridNavigation), the line commands (GridLineCommands) and the unit list
// (UnitList); the grid keys are mapped here onto those, and F4 opens the lookup guide or
// the unit list.

#include <QObject>
#include <QString>

#include "app/editor/editor_context.h"
#include "app/editor/grid_line_commands.h"
#include "app/editor/grid_navigation.h"
#include "app/editor/sheet_display.h"
#include "app/editor/unit_list.h"

class QKeyEvent;

namespace quilto {

class GridController : public QObject {
    Q_OBJECT

  public:
    explicit GridController(EditorContext& context, QObject* parent = nullptr);

    SheetDisplay& Display() { return display_; }
    GridNavigation& Navigation() { return *navigation_; }
    GridLineCommands& Commands() { return *commands_; }
    UnitList& Units() { return *units_; }

    // A key on a grid: true when it was used.
    bool GridKeyDown(SheetGridView* view, QKeyEvent* event);
    void Guide();  // F4, MeisyoBtn1

  signals:
    // The user changed the document (UTF-8 name of the step, the cell; -1: the cursor's).
    // Typing into one cell carries the cell as mergeKey; multiplier: the unit prices were
    // scaled or put back by the multiplier.
    void Edited(const QString& name, SheetKind sheet, int row, int col, const QString& mergeKey,
                bool multiplier);

  private:
    EditorContext& c_;
    SheetDisplay display_;
    UnitList* units_;
    GridNavigation* navigation_;
    GridLineCommands* commands_;
};

}  // namespace quilto
