#include "app/masters/master_list_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <string_view>

#include "app/foundation/byte_columns.h"
#include "core/foundation/cp932.h"

namespace quilto {

void MasterListModel::SetItems(std::vector<std::string> items) {
    beginResetModel();
    items_ = std::move(items);
    endResetModel();
}

int MasterListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(items_.size());
}

QVariant MasterListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(items_.size())) return {};
    const std::string& item = items_[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole) return Cp932ToQStringLossy(item);
    if (role == kBytesRole) return QByteArray(item.data(), static_cast<qsizetype>(item.size()));
    return {};
}

MasterListDelegate::MasterListDelegate(QColor focused, QColor unfocused, QObject* parent)
    : QStyledItemDelegate(parent), focused_(focused), unfocused_(unfocused) {}

void MasterListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const bool focus = option.widget != nullptr && option.widget->hasFocus();
    const QRect area = option.rect;
    painter->save();
    painter->fillRect(
        area, selected ? (focus ? focused_ : unfocused_) : option.palette.color(QPalette::Base));
    painter->setFont(option.font);
    painter->setPen(selected ? QColor(Qt::white) : option.palette.color(QPalette::Text));
    const QByteArray stored = index.data(MasterListModel::kBytesRole).toByteArray();
    const std::string_view bytes(stored.constData(), static_cast<std::size_t>(stored.size()));
    DrawByteColumns(painter, area, bytes, kCellWidth, kMargin);
    painter->restore();
}

QSize MasterListDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const {
    const auto bytes = index.data(MasterListModel::kBytesRole).toByteArray().size();
    return {2 * kMargin + static_cast<int>(bytes) * kCellWidth, kRowHeight};
}

QFont MasterListFont() {
    QFont font(QStringLiteral("IPAGothic"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(16);
    return font;
}

MasterListView::MasterListView(const char* name, QColor focused, QColor unfocused, QWidget* parent)
    : QListView(parent), model_(new MasterListModel(this)) {
    setObjectName(QString::fromLatin1(name));
    setModel(model_);
    setItemDelegate(new MasterListDelegate(focused, unfocused, this));
    setFont(MasterListFont());
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

int MasterListView::SelectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void MasterListView::SelectRow(int row) {
    if (row < 0 || row >= Count()) {
        selectionModel()->clearSelection();
        selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
        return;
    }
    const QModelIndex index = model_->index(row);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

void MasterListView::mousePressEvent(QMouseEvent* event) {
    QListView::mousePressEvent(event);
    const int row = SelectedRow();
    if (row >= 0 && indexAt(event->position().toPoint()).isValid()) emit Clicked(row);
}

void MasterListView::keyPressEvent(QKeyEvent* event) {
    const int before = SelectedRow();
    // With nothing chosen, the first move chooses the line the cursor is on (the first line
    // when the list has just got the focus), never the one after it.
    const bool move = event->key() == Qt::Key_Down || event->key() == Qt::Key_Up;
    if (move && before < 0 && Count() > 0 && event->modifiers() == Qt::NoModifier) {
        const int row = currentIndex().isValid() ? currentIndex().row() : 0;
        SelectRow(row);
        emit KeyMoved(row);
        return;
    }
    QListView::keyPressEvent(event);
    const int after = SelectedRow();
    if (after >= 0 && after != before) emit KeyMoved(after);
}

// The selected line changes colour with the focus.
void MasterListView::focusOutEvent(QFocusEvent* event) {
    QListView::focusOutEvent(event);
    viewport()->update();
}

void MasterListView::focusInEvent(QFocusEvent* event) {
    QListView::focusInEvent(event);
    viewport()->update();
}

}  // namespace quilto
