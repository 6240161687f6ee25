#pragma once

// The open estimate as the editor's widgets see it: changes are applied through here and
// announced, so that whatever shows a sheet or a figure repaints itself instead of every
// command listing what to repaint. SheetChanged: rows of the sheet may have moved or all
// changed; RowsChanged: only those rows (grid rows) changed; FiguresChanged: the totals
// shown above the tabs and on the detail bar are new.

#include <QObject>

#include "core/editor/editor_session.h"

namespace quilto {

class EditorDocument : public QObject {
    Q_OBJECT

  public:
    explicit EditorDocument(EditorSession& session, QObject* parent = nullptr);

    EstimateDocument& Document() { return session_.Document(); }

    // The sheet calculated: its rows and the figures change.
    SheetTotals Calculate(SheetKind sheet);
    // A row the cursor left, in display form.
    void FormatRow(SheetKind sheet, int row);
    // One cell set to `text` (CP932).
    void SetCell(SheetKind sheet, int row, int col, std::string text);
    // The detail sheet on screen written back to the store: its breakdown line's figures.
    void StoreDetailSheet();
    // The detail sheet's grid emptied on leaving it (the store keeps what it held).
    void DropDetailSheet();

    // Changes made straight on the document (the core's line commands, a load, an undo).
    void RowsWereChanged(SheetKind sheet, int firstRow, int lastRow);
    void SheetWasChanged(SheetKind sheet);
    void FiguresWereChanged();
    // Every sheet and the figures.
    void AllWereChanged();

  signals:
    void SheetChanged(SheetKind sheet);
    void RowsChanged(SheetKind sheet, int firstRow, int lastRow);
    void FiguresChanged();

  private:
    EditorSession& session_;
};

}  // namespace quilto
