#include "app/editor/grid_controller.h"

#include <QKeyEvent>

#include "app/foundation/lookup_guide_link.h"
#include "core/editor/line_kind.h"
#include "core/foundation/cp932.h"
#include "core/foundation/text_bytes.h"

namespace quilto {

GridController::GridController(EditorContext& context, QObject* parent)
    : QObject(parent),
      c_(context),
      display_(context),
      units_(new UnitList(context, this)),
      navigation_(new GridNavigation(context, display_, *units_, this)),
      commands_(new GridLineCommands(context, display_, *navigation_, this)) {
    for (SheetKind sheet : {SheetKind::Breakdown, SheetKind::Detail, SheetKind::Summary}) {
        connect(
            c_.Model(sheet), &SheetGridModel::CellEdited, this, [this, sheet](int row, int col) {
                navigation_->CellEdited(sheet);
                emit Edited(
                    QStringLiteral("入力"), sheet, row, col,
                    QStringLiteral("cell %1 %2 %3").arg(static_cast<int>(sheet)).arg(row).arg(col),
                    false);
            });
    }
    connect(commands_, &GridLineCommands::Edited, this, &GridController::Edited);
    connect(units_, &UnitList::Edited, this, &GridController::Edited);
}

bool GridController::GridKeyDown(SheetGridView* view, QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods & Qt::AltModifier) return false;
    const SheetKind sheet = view->Sheet();
    const int key = event->key();
    const int row = view->CurrentGridRow();

    if (key == Qt::Key_Delete && mods == Qt::ShiftModifier) {
        commands_->ClearCell(view);
        return true;
    }
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if ((enter && mods == Qt::ControlModifier) ||
        (key == Qt::Key_Insert && mods == Qt::NoModifier)) {
        view->ToggleEdit();
        return true;
    }
    if (enter && !(mods & (Qt::ShiftModifier | Qt::ControlModifier))) {
        view->CommitEdit();
        if (sheet == SheetKind::Detail &&
            LineKindOf(c_.document.Grid(sheet), row) == LineKind::Nebiki) {
            commands_->Discount();
        }
        navigation_->MoveAfterEnter(view);
        return true;
    }
    if (view->IsEditing()) return false;
    return navigation_->CursorKey(view, key, mods);
}

void GridController::Guide() {
    if (c_.lbUnit->isVisible()) {
        units_->Hide(true);
        return;
    }
    if (c_.guide && c_.guide->IsGuideVisible()) {
        c_.guide->HideGuide();
        c_.guideOpener = GuideOpener::kNone;
        return;
    }
    const auto active = navigation_->ActiveGrid();
    if (!active) return;
    const SheetKind sheet = *active;
    SheetGridView* view = c_.View(sheet);
    if (view->CurrentCol() == ColumnsOf(sheet).unit) {
        units_->Open(sheet);
        return;
    }
    if (!c_.guide) return;
    if (sheet == SheetKind::Detail) {
        c_.guideOpener = GuideOpener::kDetail;
        const std::string category =
            Trimmed(c_.document.Grid(SheetKind::Breakdown)
                        .Cell(c_.View(SheetKind::Breakdown)->CurrentGridRow(), 1));
        c_.guide->ShowProductGuide(Utf8ToCp932("検索 ( 商品選択 )").value_or(""),
                                   Utf8ToCp932("商品選択").value_or(""), category);
        view->setFocus();
        return;
    }
    c_.guideOpener =
        sheet == SheetKind::Breakdown ? GuideOpener::kBreakdown : GuideOpener::kSummary;
    c_.guide->ShowConstructionGuide(Utf8ToCp932("検索 ( 工事選択 )").value_or(""),
                                    Utf8ToCp932("工事選択").value_or(""));
}

}  // namespace quilto
