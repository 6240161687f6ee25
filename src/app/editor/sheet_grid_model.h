#pragma once

// Presents one of the estimate's grids (a core TextGrid of CP932 texts) to a QTableView:
// model row r is grid row r + 1 (grid row 0 holds the header texts), the columns are the
// grid's. Column 0 (row number with its page marker) is never current; columns 1 and the
// detail sheet's labour columns are hidden by the view. Edits arrive as accepted CP932
// texts from the in-place editor.

#include <QAbstractTableModel>

#include "core/editor/sheet_layout.h"
#include "core/foundation/text_grid.h"

namespace quilto {

class EditorDocument;

class SheetGridModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    static constexpr int kCp932Role = Qt::UserRole + 1;  // the cell's bytes as a QByteArray

    SheetGridModel(TextGrid& grid, SheetKind sheet, QObject* parent = nullptr);

    SheetKind Sheet() const { return sheet_; }
    TextGrid& Grid() { return grid_; }
    const TextGrid& Grid() const { return grid_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The grid changed underneath (a calculation, a line command, a load): repaint.
    void Refresh();
    void RefreshRow(int gridRow);
    // Repaints what `document` announces as changed on this model's sheet.
    void Follow(const EditorDocument& document);
    QModelIndex IndexOf(int gridRow, int col) const { return index(gridRow - 1, col); }
    static int GridRow(const QModelIndex& index) { return index.row() + 1; }

  signals:
    // The in-place editor changed a cell (the edited flag of the breakdown and summary).
    void CellEdited(int gridRow, int col);

  private:
    TextGrid& grid_;
    SheetKind sheet_;
};

}  // namespace quilto
