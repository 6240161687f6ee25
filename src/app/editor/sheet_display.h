#pragma once

// The sheets' calculations and what shows their results: the grids, the status panels, the
// header figures and the detail bar; and the detail sheet, swapped in for a breakdown line
// and stored back when the user leaves it. The status panels and the header figures follow
// what the editor document announces.

#include <QObject>

#include "app/editor/editor_context.h"

namespace quilto {

class SheetDisplay : public QObject {
    Q_OBJECT

  public:
    explicit SheetDisplay(EditorContext& context, QObject* parent = nullptr);

    SheetTotals CalculateBreakdown();
    SheetTotals CalculateSummary();
    SheetTotals CalculateDetail();
    void CalculateSelected();  // the sheet CheckBox1 selects
    void Calculate(SheetKind sheet);
    void ShowFigures();
    void RefreshStatus(SheetKind sheet);
    // Header texts, row numbers and page markers with the rows per page of the pattern;
    // every cursor to row 1, column 2.
    void SetUpGrids();
    // A row the cursor left: its figures in display form, repainted.
    void FormatRow(SheetKind sheet, int row);
    // The document's current row follows the grid's cursor, for the commands that act on it.
    void SyncCurrentRow(SheetKind sheet);

    void LoadDetail(int breakdownRow);
    // Leaving the sheet: the current row in display form, the sheet calculated and stored.
    void StoreDetail();

  private:
    EditorContext& c_;
};

}  // namespace quilto
