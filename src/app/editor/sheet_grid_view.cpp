#include "app/editor/sheet_grid_view.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QInputMethod>
#include <QMouseEvent>

#include "app/editor/sheet_grid_delegate.h"
#include "app/editor/sheet_grid_model.h"
#include "app/foundation/typed_line_edit.h"

namespace quilto {

namespace {

constexpr int kRowHeight = 20;

const char* GridName(SheetKind sheet) {
    switch (sheet) {
        case SheetKind::Breakdown:
            return "StringGrid1";
        case SheetKind::Detail:
            return "StringGrid2";
        case SheetKind::Summary:
            break;
    }
    return "StringGrid3";
}

}  // namespace

SheetGridView::SheetGridView(SheetGridModel* model, SheetGridDelegate* delegate, QWidget* parent)
    : QTableView(parent), sheet_(model->Sheet()), model_(model), delegate_(delegate) {
    setObjectName(QString::fromLatin1(GridName(sheet_)));
    setModel(model);
    setItemDelegate(delegate);
    delegate->setParent(this);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setMinimumSectionSize(0);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    const auto& specs = ColumnSpecsOf(sheet_);
    for (int col = 0; col < static_cast<int>(specs.size()); ++col) {
        const int width = specs[static_cast<std::size_t>(col)].width;
        if (width == 0) {
            setColumnHidden(col, true);
        } else {
            setColumnWidth(col, width);
        }
    }
    SetCurrentCell(1, 2);
}

int SheetGridView::CurrentGridRow() const {
    const QModelIndex index = currentIndex();
    return index.isValid() ? SheetGridModel::GridRow(index) : 1;
}

int SheetGridView::CurrentCol() const {
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.column() : 2;
}

void SheetGridView::SetCurrentCell(int gridRow, int col) {
    const QModelIndex index = model_->IndexOf(gridRow, col);
    if (!index.isValid()) return;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

QRect SheetGridView::CellRect(int gridRow, int col) const {
    return visualRect(model_->IndexOf(gridRow, col));
}

void SheetGridView::CommitEdit() {
    if (!IsEditing()) return;
    if (TypedLineEdit* editor = delegate_->OpenEditor()) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void SheetGridView::ToggleEdit() {
    if (IsEditing()) {
        CommitEdit();
    } else {
        edit(currentIndex());
    }
}

void SheetGridView::UpdateInputMethod() {
    setAttribute(Qt::WA_InputMethodEnabled, IsTextColumn(sheet_, CurrentCol()));
    if (hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImEnabled);
}

void SheetGridView::SetGreyed(bool greyed) {
    QPalette p = palette();
    p.setColor(QPalette::Base, greyed ? kSilver : QColor(Qt::white));
    setPalette(p);
    setEnabled(!greyed);
}

void SheetGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    UpdateInputMethod();
    if (previous.isValid() && current.isValid() && previous != current) {
        emit CellSelected(SheetGridModel::GridRow(previous), previous.column());
    }
}

void SheetGridView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    // The row-number column and the header are not cells the cursor goes to.
    if (index.isValid() && index.column() < 2) return;
    QTableView::mousePressEvent(event);
    if (index.isValid())
        emit MouseDown(SheetGridModel::GridRow(index), index.column(), event->button());
}

bool SheetGridView::IsCellEditor(const QWidget* widget) {
    for (const QWidget* w = widget ? widget->parentWidget() : nullptr; w; w = w->parentWidget()) {
        if (qobject_cast<const SheetGridView*>(w)) return true;
    }
    return false;
}

}  // namespace quilto
