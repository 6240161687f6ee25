#pragma once

// The editor's grid handlers: entering and leaving a grid, moving from cell to cell, the
// grid keys, the line operations and line commands, swapping the detail sheet, the unit
// list, the lookup guide calls, and the calculations with what shows their results.

#include <QObject>
#include <optional>

#include "app/editor/editor_context.h"
#include "core/editor/line_kind.h"

class QKeyEvent;

namespace quilto {

class GridController : public QObject {
    Q_OBJECT

  public:
    explicit GridController(EditorContext& context, QObject* parent = nullptr);

    // --- Calculations and what shows them ---
    SheetTotals CalculateBreakdown();
    SheetTotals CalculateSummary();
    SheetTotals CalculateDetail();
    void CalculateSelected();  // the sheet CheckBox1 selects
    void Calculate(SheetKind sheet);
    void ShowFigures();
    void RefreshStatus(SheetKind sheet);
    void RefreshGrids();
    // Header texts, row numbers and page markers with the rows per page of the pattern;
    // every cursor to row 1, column 2.
    void SetUpGrids();

    // --- Focus ---
    // The grid that holds the focus (or last held it within the editor).
    std::optional<SheetKind> ActiveGrid() const { return active_; }
    // The focus moved to `widget` inside the editor: a grid left, another entered.
    void FocusMovedTo(QWidget* widget);
    void GridEnter(SheetKind sheet);
    void GridExit(SheetKind sheet);
    void TabEntered(int tab);

    // --- Keys: true when the key was used ---
    bool GridKeyDown(SheetGridView* view, QKeyEvent* event);

    // --- Commands ---
    void InsertLine();
    void DeleteLine();
    void CopyLine();
    void PasteLine();
    void DuplicateLine();
    void HideRemarks();
    void SpecialLine(LineKind kind);
    void Discount();
    void ShowCover();        // F11
    void NextTab();          // F12
    void StepLine(int row);  // UpDown1
    void PopUpSubMenu(const QPoint& at);
    void ApplyMultiplier(SheetKind sheet);
    void UndoMultiplier(SheetKind sheet);
    void Guide();  // F4, MeisyoBtn1

    // --- Detail sheet ---
    void LoadDetail(int breakdownRow);
    // Leaving the sheet: the current row in display form, the sheet calculated and stored.
    void StoreDetail();

    // --- Unit list ---
    void OpenUnitList(SheetKind sheet);
    void ChooseUnit();
    void HideUnitList(bool refocus);

    // --- For the lookup guide ---
    void FillProduct(const std::string& category, const std::string& productCode);
    void MoveCurrentRowDown(SheetKind sheet);
    void FocusActiveGrid();

    // The buttons that only make sense on a grid.
    void EnableGridCommands(bool enabled);

  signals:
    // The user changed the document (UTF-8 name of the step, the cell; -1: the cursor's).
    // Typing into one cell carries the cell as mergeKey; multiplier: the unit prices were
    // scaled or put back by the multiplier.
    void Edited(const QString& name, SheetKind sheet, int row, int col, const QString& mergeKey,
                bool multiplier);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    SheetTotals Shown(SheetKind sheet, SheetTotals totals);
    void CellSelected(SheetKind sheet, int previousRow, int previousCol);
    void MouseDown(SheetKind sheet, int row, int col, Qt::MouseButton button);
    void FormatRow(SheetKind sheet, int row);
    void SyncCurrentRow(SheetKind sheet);
    std::optional<SheetKind> FocusedOnVisibleTab() const;
    SheetKind VisibleSheet() const;
    void MoveCursor(SheetGridView* view, int row, int col);

    EditorContext& c_;
    std::optional<SheetKind> active_;
    std::optional<SheetKind> unitListSheet_;
};

}  // namespace quilto
