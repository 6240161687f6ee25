#include "app/editor/sheet_grid_model.h"

#include "app/editor/editor_document.h"

#include "core/foundation/cp932.h"
#include "core/foundation/text_bytes.h"

namespace quilto {

SheetGridModel::SheetGridModel(TextGrid& grid, SheetKind sheet, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid), sheet_(sheet) {}

int SheetGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_.RowCount() - 1;
}

int SheetGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_.ColCount();
}

QVariant SheetGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const std::string& cell = grid_.Cell(GridRow(index), index.column());
    switch (role) {
        case Qt::DisplayRole:
            return Cp932ToQStringLossy(cell);
        case Qt::EditRole:
            // The in-place editor starts from the text without its padding.
            return Cp932ToQStringLossy(Trimmed(cell));
        case kCp932Role:
            return QByteArray(cell.data(), static_cast<qsizetype>(cell.size()));
        default:
            return {};
    }
}

bool SheetGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != kCp932Role) return false;
    const QByteArray bytes = value.toByteArray();
    std::string text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const int row = GridRow(index);
    if (grid_.Cell(row, index.column()) == text) return true;
    grid_.SetCell(row, index.column(), std::move(text));
    emit dataChanged(index, index);
    emit CellEdited(row, index.column());
    return true;
}

QVariant SheetGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole &&
        section == ColumnsOf(sheet_).costClass) {
        return QStringLiteral(
            "費目の区分: 1 材料費 / 2 労務費 / 3 法定福利費 / 4 安全衛生経費 / "
            "5 建退共掛金 / 6 その他経費 / 0 未分類（歩掛単価×数量は常に労務費）");
    }
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole &&
        section == ColumnsOf(sheet_).workDays) {
        return QStringLiteral("作業日数: この工種の作業と準備に要する日数");
    }
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return Cp932ToQStringLossy(grid_.Cell(0, section));
}

Qt::ItemFlags SheetGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid() || index.column() < 2) return Qt::NoItemFlags;
    const int maxBytes = ColumnSpecsOf(sheet_)[static_cast<std::size_t>(index.column())].maxBytes;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (maxBytes > 0) f |= Qt::ItemIsEditable;
    return f;
}

void SheetGridModel::Refresh() {
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void SheetGridModel::RefreshRow(int gridRow) {
    emit dataChanged(IndexOf(gridRow, 0), IndexOf(gridRow, columnCount() - 1));
}

void SheetGridModel::Follow(const EditorDocument& document) {
    connect(&document, &EditorDocument::SheetChanged, this, [this](SheetKind sheet) {
        if (sheet == sheet_) Refresh();
    });
    connect(&document, &EditorDocument::RowsChanged, this,
            [this](SheetKind sheet, int firstRow, int lastRow) {
                if (sheet != sheet_) return;
                emit dataChanged(IndexOf(firstRow, 0), IndexOf(lastRow, columnCount() - 1));
            });
}

}  // namespace quilto
