#include "app/editor/grid_line_commands.h"

#include <QAction>
#include <QMap>
#include <QMenu>

#include "app/editor/grid_navigation.h"
#include "app/editor/sheet_display.h"
#include "core/editor/breakdown_lines.h"
#include "core/editor/line_commands.h"
#include "core/editor/product_fill.h"

namespace quilto {

GridLineCommands::GridLineCommands(EditorContext& context, SheetDisplay& display,
                                   const GridNavigation& navigation, QObject* parent)
    : QObject(parent), c_(context), display_(display), navigation_(navigation) {}

void GridLineCommands::ClearCell(SheetGridView* view) {
    const SheetKind sheet = view->Sheet();
    const int row = view->CurrentGridRow();
    const int col = view->CurrentCol();
    if (view->IsEditing()) view->CommitEdit();
    c_.editorDocument.SetCell(sheet, row, col, {});
    emit Edited(QStringLiteral("セル消去"), sheet, row, col, {}, false);
}

void GridLineCommands::InsertLine() {
    const auto sheet = navigation_.FocusedOnVisibleTab();
    if (!sheet) return;
    c_.View(*sheet)->CommitEdit();
    display_.SyncCurrentRow(*sheet);
    const bool done = *sheet == SheetKind::Breakdown ? InsertBreakdownLine(c_.document)
                                                     : quilto::InsertLine(c_.document.Grid(*sheet));
    if (!done) return;
    emit Edited(QStringLiteral("行挿入"), *sheet, -1, -1, {}, false);
    display_.Calculate(*sheet);
}

void GridLineCommands::DeleteLine() {
    const auto sheet = navigation_.FocusedOnVisibleTab();
    if (!sheet) return;
    c_.View(*sheet)->CommitEdit();
    display_.SyncCurrentRow(*sheet);
    if (*sheet == SheetKind::Breakdown) {
        DeleteBreakdownLine(c_.document);
    } else {
        quilto::DeleteLine(c_.document.Grid(*sheet));
    }
    emit Edited(QStringLiteral("行削除"), *sheet, -1, -1, {}, false);
    display_.Calculate(*sheet);
}

void GridLineCommands::CopyLine() {
    const auto sheet = navigation_.ActiveGrid();
    if (!sheet) return;
    display_.SyncCurrentRow(*sheet);
    c_.clipboard.Copy(c_.document.Grid(*sheet));
}

void GridLineCommands::PasteLine() {
    const auto sheet = navigation_.ActiveGrid();
    if (!sheet) return;
    SheetGridView* view = c_.View(*sheet);
    display_.SyncCurrentRow(*sheet);
    if (c_.clipboard.Paste(c_.document.Grid(*sheet), *sheet, view->IsEditing())) {
        c_.editorDocument.RowsWereChanged(*sheet, view->CurrentGridRow(), view->CurrentGridRow());
        emit Edited(QStringLiteral("行貼付け"), *sheet, -1, -1, {}, false);
    }
}

void GridLineCommands::DuplicateLine() {
    const auto sheet = navigation_.ActiveGrid();
    if (!sheet) return;
    SheetGridView* view = c_.View(*sheet);
    display_.SyncCurrentRow(*sheet);
    const int row = view->CurrentGridRow();
    const int next = DuplicateLineAbove(c_.document.Grid(*sheet), *sheet, view->IsEditing());
    c_.editorDocument.RowsWereChanged(*sheet, row, row);
    emit Edited(QStringLiteral("上の行を複写"), *sheet, row, view->CurrentCol(), {}, false);
    if (next != row) view->SetCurrentCell(next, view->CurrentCol());
}

void GridLineCommands::HideRemarks() {
    const auto sheet = navigation_.ActiveGrid();
    if (!sheet) return;
    SheetGridView* view = c_.View(*sheet);
    if (view->CurrentCol() != ColumnsOf(*sheet).remarks) return;
    view->CommitEdit();
    const int row = view->CurrentGridRow();
    quilto::HideRemarks(c_.document.Grid(*sheet), *sheet, row);
    c_.editorDocument.RowsWereChanged(*sheet, row, row);
    emit Edited(QStringLiteral("摘要隠し"), *sheet, -1, -1, {}, false);
}

void GridLineCommands::SpecialLine(LineKind kind) {
    // The grid of the tab that shows; the command needs it to have the focus.
    const auto sheet = navigation_.FocusedOnVisibleTab();
    if (!sheet) return;
    if (*sheet == SheetKind::Detail && (kind == LineKind::Zei || kind == LineKind::Goukei)) return;
    SheetGridView* view = c_.View(*sheet);
    view->CommitEdit();
    display_.SyncCurrentRow(*sheet);
    TextGrid& grid = c_.document.Grid(*sheet);
    if (!MakeSpecialLine(grid, *sheet, kind)) return;
    display_.Calculate(*sheet);
    const int row = view->CurrentGridRow();
    static const QMap<LineKind, QString> kNames = {{LineKind::Syokei, QStringLiteral("小計")},
                                                   {LineKind::Nakakei, QStringLiteral("中計")},
                                                   {LineKind::Zei, QStringLiteral("消費税")},
                                                   {LineKind::Goukei, QStringLiteral("合計")}};
    emit Edited(kNames.value(kind, QStringLiteral("計算行")), *sheet, row, -1, {}, false);
    view->SetCurrentCell(NextRowAfterCommand(grid, row), view->CurrentCol());
}

void GridLineCommands::Discount() {
    const auto sheet = navigation_.FocusedOnVisibleTab();
    if (!sheet) return;
    SheetGridView* view = c_.View(*sheet);
    view->CommitEdit();
    display_.SyncCurrentRow(*sheet);
    TextGrid& grid = c_.document.Grid(*sheet);
    if (!PrepareDiscountLine(grid, *sheet, c_.document.Text(HeaderText::MNo))) return;
    display_.Calculate(*sheet);
    AskDiscountAmount(grid, *sheet, c_.program.questions);
    display_.Calculate(*sheet);
    const int row = view->CurrentGridRow();
    emit Edited(QStringLiteral("値引"), *sheet, row, -1, {}, false);
    view->SetCurrentCell(NextRowAfterCommand(grid, row), view->CurrentCol());
    view->setFocus();
}

void GridLineCommands::PopUpSubMenu(const QPoint& at) {
    const auto sheet = navigation_.ActiveGrid();
    if (!sheet) return;
    EditorActions& a = c_.actions;
    const bool summary = *sheet == SheetKind::Summary;
    const bool breakdown = *sheet == SheetKind::Breakdown;
    for (QAction* action : {a.lCopy, a.lPast, a.lDup}) action->setVisible(!breakdown);
    a.kakeSetS->setVisible(summary);
    a.kakeRetS->setVisible(summary);
    a.kakeSet->setVisible(breakdown);
    a.kakeRet->setVisible(breakdown);
    a.popupMenu1->exec(at);
    for (QAction* action : {a.lCopy, a.lPast, a.lDup, a.kakeSet, a.kakeRet, a.kakeSetS, a.kakeRetS})
        action->setVisible(true);
}

void GridLineCommands::ApplyMultiplier(SheetKind sheet) {
    if (navigation_.ActiveGrid() != sheet) return;
    c_.View(sheet)->CommitEdit();
    const bool changed =
        sheet == SheetKind::Breakdown
            ? c_.multiplier.ApplyToBreakdown(c_.document, c_.calculator, c_.program.questions)
            : c_.multiplier.ApplyToSummary(c_.document, c_.calculator, c_.program.questions);
    if (!changed) return;
    c_.editorDocument.AllWereChanged();
    emit Edited(QStringLiteral("掛け率設定"), sheet, -1, -1, {}, true);
}

void GridLineCommands::UndoMultiplier(SheetKind sheet) {
    if (navigation_.ActiveGrid() != sheet) return;
    const bool changed =
        sheet == SheetKind::Breakdown
            ? c_.multiplier.UndoBreakdown(c_.document, c_.calculator, c_.program.questions)
            : c_.multiplier.UndoSummary(c_.document, c_.calculator, c_.program.questions);
    if (!changed) return;
    c_.editorDocument.AllWereChanged();
    emit Edited(QStringLiteral("設定前に戻す"), sheet, -1, -1, {}, true);
}

void GridLineCommands::FillProduct(const std::string& category, const std::string& productCode) {
    SheetGridView* view = c_.View(SheetKind::Detail);
    view->CommitEdit();
    const int row = view->CurrentGridRow();
    FillDetailRowFromProduct(c_.document.Grid(SheetKind::Detail), row, c_.program.masters, category,
                             productCode, c_.calculator.Settings());
    c_.editorDocument.RowsWereChanged(SheetKind::Detail, row, row);
    emit Edited(QStringLiteral("商品選択"), SheetKind::Detail, row, -1, {}, false);
}

}  // namespace quilto
