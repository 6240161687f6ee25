#include "app/editor/unit_list.h"

#include <QKeyEvent>

#include "app/foundation/lookup_guide_link.h"
#include "core/foundation/cp932.h"

namespace quilto {

UnitList::UnitList(EditorContext& context, QObject* parent) : QObject(parent), c_(context) {
    c_.lbUnit->installEventFilter(this);
    connect(c_.lbUnit, &QListWidget::itemClicked, this, [this] { Choose(); });
}

void UnitList::Open(SheetKind sheet) {
    if (c_.guide && c_.guide->IsGuideVisible()) {
        c_.guide->HideGuide();
        return;
    }
    QListWidget* list = c_.lbUnit;
    list->clear();
    for (const std::string& unit : c_.program.masters.units)
        list->addItem(Cp932ToQStringLossy(unit));
    list->setCurrentRow(-1);
    list->clearSelection();
    SheetGridView* view = c_.View(sheet);
    const QRect cell = view->CellRect(view->CurrentGridRow(), view->CurrentCol());
    const QPoint at = view->viewport()->mapTo(c_.form, cell.topLeft() + QPoint(30, 20));
    list->move(at);
    list->raise();
    c_.unitListInUse = true;
    list->show();
    list->setFocus();
}

void UnitList::Choose() {
    const QList<QListWidgetItem*> chosen = c_.lbUnit->selectedItems();
    QListWidgetItem* item = chosen.isEmpty() ? nullptr : chosen.first();
    const SheetKind sheet = c_.VisibleSheet();
    if (item && c_.lbUnit->isVisible() && c_.VisibleTab() != kCoverTab) {
        const std::string unit = QStringToCp932(item->text()).value_or(std::string());
        const int unitColumn = ColumnsOf(sheet).unit;
        SheetGridView* view = c_.View(sheet);
        const int row = view->CurrentGridRow();
        const int col = view->CurrentCol();
        if (sheet == SheetKind::Detail) {
            const int line = c_.View(SheetKind::Breakdown)->CurrentGridRow();
            c_.document.LoadDetailSheet(line);
            c_.document.Grid(SheetKind::Detail).SetCell(row, unitColumn, unit);
            c_.editorDocument.StoreDetailSheet();
            // The sheet was read afresh from the store.
            c_.editorDocument.SheetWasChanged(sheet);
        } else {
            c_.editorDocument.SetCell(sheet, row, unitColumn, unit);
        }
        view->SetCurrentCell(row, col);
        emit Edited(QStringLiteral("単位選択"), sheet, row, col, {}, false);
    }
    Hide(true);
}

void UnitList::Hide(bool refocus) {
    if (!c_.lbUnit->isVisible()) {
        c_.unitListInUse = false;
        return;
    }
    c_.lbUnit->hide();
    if (refocus && c_.VisibleTab() != kCoverTab) c_.View(c_.VisibleSheet())->setFocus();
    c_.unitListInUse = false;
}

bool UnitList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == c_.lbUnit) {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                Choose();
                return true;
            }
            if (key->key() == Qt::Key_Escape) {
                Hide(true);
                return true;
            }
        } else if (event->type() == QEvent::FocusOut && c_.lbUnit->isVisible()) {
            auto* focus = static_cast<QFocusEvent*>(event);
            if (focus->reason() != Qt::PopupFocusReason &&
                focus->reason() != Qt::ActiveWindowFocusReason) {
                QMetaObject::invokeMethod(
                    this, [this] { Hide(false); }, Qt::QueuedConnection);
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quilto
