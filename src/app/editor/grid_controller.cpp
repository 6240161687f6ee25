#include "app/editor/grid_controller.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QMap>
#include <QMenu>
#include <QToolButton>

#include "app/editor/cover_panel.h"
#include "app/editor/sheet_grid_delegate.h"
#include "app/foundation/lookup_guide_link.h"
#include "core/editor/breakdown_lines.h"
#include "core/editor/line_commands.h"
#include "core/editor/line_kind.h"
#include "core/editor/page_layout.h"
#include "core/editor/product_fill.h"
#include "core/foundation/cp932.h"
#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"

namespace quilto {

namespace {

constexpr SheetKind kSheets[] = {SheetKind::Breakdown, SheetKind::Detail, SheetKind::Summary};

// "* 編集不可データ *": a special breakdown line has no detail sheet.
const char* const kNotEditable = "* 編集不可データ *";

int StatusPanelOf(SheetKind sheet) {
    return sheet == SheetKind::Summary ? 0 : sheet == SheetKind::Breakdown ? 1 : 2;
}

int UnitColumnOf(SheetKind sheet) { return ColumnsOf(sheet).unit; }

bool IsSpecialKind(const TextGrid& grid, int row) { return IsSpecialLine(LineKindOf(grid, row)); }

}  // namespace

GridController::GridController(EditorContext& context, QObject* parent)
    : QObject(parent), c_(context) {
    for (SheetKind sheet : kSheets) {
        SheetGridView* view = c_.View(sheet);
        connect(view, &SheetGridView::CellSelected, this,
                [this, sheet](int row, int col) { CellSelected(sheet, row, col); });
        connect(
            view, &SheetGridView::MouseDown, this,
            [this, sheet](int row, int col, Qt::MouseButton b) { MouseDown(sheet, row, col, b); });
        connect(view->Model(), &SheetGridModel::CellEdited, this, [this, sheet](int row, int col) {
            if (sheet == SheetKind::Breakdown) c_.breakdownEdited = true;
            emit Edited(
                QStringLiteral("入力"), sheet, row, col,
                QStringLiteral("cell %1 %2 %3").arg(static_cast<int>(sheet)).arg(row).arg(col),
                false);
        });
    }
    c_.lbUnit->installEventFilter(this);
    connect(c_.lbUnit, &QListWidget::itemClicked, this, [this] { ChooseUnit(); });
    connect(c_.panelB6->UpDown1(), &LineStepper::Stepped, this, &GridController::StepLine);
}

// --- Calculations ------------------------------------------------------------------------

// A sheet just calculated: its grid, its status text and the header figures shown anew.
SheetTotals GridController::Shown(SheetKind sheet, SheetTotals totals) {
    c_.Model(sheet)->Refresh();
    RefreshStatus(sheet);
    ShowFigures();
    return totals;
}

SheetTotals GridController::CalculateBreakdown() {
    return Shown(SheetKind::Breakdown, c_.calculator.CalculateBreakdown(c_.document));
}

SheetTotals GridController::CalculateSummary() {
    return Shown(SheetKind::Summary, c_.calculator.CalculateSummary(c_.document));
}

SheetTotals GridController::CalculateDetail() {
    return Shown(SheetKind::Detail, c_.calculator.CalculateDetail(c_.document));
}

void GridController::CalculateSelected() {
    if (c_.document.CheckBox1()) {
        CalculateSummary();
    } else {
        CalculateBreakdown();
    }
}

void GridController::Calculate(SheetKind sheet) {
    switch (sheet) {
        case SheetKind::Breakdown:
            CalculateBreakdown();
            break;
        case SheetKind::Summary:
            CalculateSummary();
            break;
        case SheetKind::Detail:
            CalculateDetail();
            break;
    }
}

void GridController::ShowFigures() {
    c_.panelB1->Show(c_.document);
    c_.cover->ShowTotal(c_.panelB1->TotalText());
    const DetailFigures& detail = c_.calculator.LastDetailFigures();
    c_.panelB6->ShowTotals(detail.MGoukei21, detail.MGoukei22);
}

void GridController::RefreshStatus(SheetKind sheet) {
    const TextGrid& grid = c_.document.Grid(sheet);
    const std::string text = StatusText(sheet, c_.View(sheet)->CurrentGridRow(),
                                        c_.RowsPerPage(sheet), LastUsedGridRow(grid));
    c_.statusPanels[static_cast<std::size_t>(StatusPanelOf(sheet))]->setText(
        Cp932ToQStringLossy(text));
}

void GridController::RefreshGrids() {
    for (SheetKind sheet : kSheets) c_.Model(sheet)->Refresh();
    ShowFigures();
}

void GridController::SetUpGrids() {
    for (SheetKind sheet : kSheets) {
        SetUpSheetGrid(c_.document.Grid(sheet), sheet, c_.RowsPerPage(sheet));
        c_.Model(sheet)->Refresh();
        c_.View(sheet)->SetCurrentCell(1, 2);
    }
}

void GridController::FormatRow(SheetKind sheet, int row) {
    c_.calculator.FormatRowForDisplay(c_.document, sheet, row);
    c_.Model(sheet)->RefreshRow(row);
}

void GridController::SyncCurrentRow(SheetKind sheet) {
    c_.document.Grid(sheet).SetCurrentRow(c_.View(sheet)->CurrentGridRow());
}

// --- Focus -------------------------------------------------------------------------------

void GridController::FocusMovedTo(QWidget* widget) {
    std::optional<SheetKind> now;
    for (SheetKind sheet : kSheets) {
        SheetGridView* view = c_.View(sheet);
        if (widget == view || view->isAncestorOf(widget)) now = sheet;
    }
    if (now == active_) return;
    const std::optional<SheetKind> left = active_;
    active_ = now;
    if (left) GridExit(*left);
    if (now && active_ == now) GridEnter(*now);
}

void GridController::GridEnter(SheetKind sheet) {
    SheetGridView* view = c_.View(sheet);
    c_.actions.subMenu1->show();
    c_.actions.mxBtn->setEnabled(false);
    c_.actions.mx->setEnabled(false);
    if (sheet != SheetKind::Detail) {
        if (sheet == SheetKind::Breakdown) c_.breakdownEdited = false;
        if (view->CurrentCol() < 2) view->SetCurrentCell(view->CurrentGridRow(), 2);
        view->UpdateInputMethod();
        if (c_.guideOpener != GuideOpener::kNone) {
            c_.guideOpener = GuideOpener::kNone;
        } else {
            c_.unitListInUse = false;
        }
        return;
    }
    if (c_.guideOpener != GuideOpener::kNone) {
        c_.guideOpener = GuideOpener::kNone;
        return;
    }
    if (view->CurrentCol() < 2) view->SetCurrentCell(view->CurrentGridRow(), 2);
    view->UpdateInputMethod();
    EditorActions& a = c_.actions;
    for (QToolButton* b : {a.sbIns, a.sbDel, a.sbSyokei, a.sbNakakei, a.meisyoBtn1})
        b->setEnabled(true);
    for (QToolButton* b : {a.sbNebiki, a.sbZei, a.sbGoukei, a.mxBtn}) b->setEnabled(false);
    // A figure typed with separators is tidied to plain digits.
    const int col = view->CurrentCol();
    const int row = view->CurrentGridRow();
    if (col >= 6 && col <= 10) {
        TextGrid& grid = c_.document.Grid(SheetKind::Detail);
        grid.SetCell(row, col, CleanNumber(grid.Cell(row, col)));
    }
    CalculateDetail();
    const int line = c_.View(SheetKind::Breakdown)->CurrentGridRow();
    c_.panelB6->ShowLine(line, {});
    LoadDetail(line);
}

void GridController::GridExit(SheetKind sheet) {
    SheetGridView* view = c_.View(sheet);
    c_.actions.subMenu1->hide();
    view->CommitEdit();
    if (sheet != SheetKind::Detail) {
        c_.multiplier.Forget();
        FormatRow(sheet, view->CurrentGridRow());
        if (sheet == SheetKind::Breakdown) {
            CalculateBreakdown();
        } else {
            CalculateSummary();
        }
    } else {
        StoreDetail();
        if (!c_.unitListInUse) {
            c_.document.DropDetailSheet();
            c_.Model(SheetKind::Detail)->Refresh();
        }
    }
    if (c_.guide && c_.guide->IsGuideVisible()) c_.guide->HideGuide();
    c_.guideOpener = GuideOpener::kNone;
}

void GridController::TabEntered(int tab) {
    HideUnitList(false);
    if (c_.guide && c_.guide->IsGuideVisible()) c_.guide->HideGuide();
    switch (tab) {
        case kCoverTab:
            c_.clipboard.Clear();
            EnableGridCommands(false);
            c_.cover->MName1()->setFocus();
            CalculateSelected();
            break;
        case kSummaryTab:
        case kBreakdownTab: {
            c_.clipboard.Clear();
            EnableGridCommands(true);
            const SheetKind sheet = tab == kSummaryTab ? SheetKind::Summary : SheetKind::Breakdown;
            if (sheet == SheetKind::Summary) {
                CalculateSummary();
            } else {
                CalculateBreakdown();
            }
            c_.View(sheet)->setFocus();
            break;
        }
        case kDetailTab: {
            // The focus may already have moved into the detail grid when the page changed.
            const int line = c_.View(SheetKind::Breakdown)->CurrentGridRow();
            if (IsSpecialKind(c_.document.Grid(SheetKind::Breakdown), line)) {
                LoadDetail(line);
                break;
            }
            SheetGridView* detail = c_.View(SheetKind::Detail);
            detail->SetGreyed(false);
            // The tab shows the line's sheet even before the grid has the focus.
            if (c_.document.DetailSheetRow() != line) LoadDetail(line);
            detail->setFocus();
            break;
        }
        default:
            break;
    }
}

void GridController::EnableGridCommands(bool enabled) {
    EditorActions& a = c_.actions;
    for (QToolButton* b : {a.sbIns, a.sbDel, a.sbSyokei, a.sbNebiki, a.sbNakakei, a.sbZei,
                           a.sbGoukei, a.meisyoBtn1, a.mxBtn}) {
        b->setEnabled(enabled);
    }
}

// --- Cell moves and clicks ---------------------------------------------------------------

void GridController::CellSelected(SheetKind sheet, int previousRow, int) {
    FormatRow(sheet, previousRow);
    // The detail sheet's figures follow each move as well, so an amount shows as soon as its
    // quantity and price are in.
    Calculate(sheet);
    if (sheet == SheetKind::Breakdown && c_.breakdownEdited) {
        c_.breakdownEdited = false;
        CalculateBreakdown();
    }
    RefreshStatus(sheet);
}

void GridController::MouseDown(SheetKind sheet, int row, int col, Qt::MouseButton button) {
    SheetGridView* view = c_.View(sheet);
    RefreshStatus(sheet);
    view->UpdateInputMethod();
    const bool remarks = col == ColumnsOf(sheet).remarks;
    c_.actions.mxBtn->setEnabled(remarks);
    c_.actions.mx->setEnabled(remarks);
    if (IsComputedColumn(sheet, col)) view->SetCurrentCell(row, TypableColumnAt(sheet, col));
    if (sheet == SheetKind::Detail) CalculateDetail();
    if (button == Qt::LeftButton && col == UnitColumnOf(sheet)) OpenUnitList(sheet);
}

// --- Keys ----------------------------------------------------------------------------------

void GridController::MoveCursor(SheetGridView* view, int row, int col) {
    view->SetCurrentCell(row, col);
}

bool GridController::GridKeyDown(SheetGridView* view, QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods & Qt::AltModifier) return false;
    const SheetKind sheet = view->Sheet();
    const int key = event->key();
    const int row = view->CurrentGridRow();
    const int col = view->CurrentCol();
    const bool editing = view->IsEditing();
    const SheetColumns& columns = ColumnsOf(sheet);

    if (key == Qt::Key_Delete && mods == Qt::ShiftModifier) {
        if (editing) view->CommitEdit();
        c_.document.Grid(sheet).SetCell(row, col, {});
        c_.Model(sheet)->RefreshRow(row);
        emit Edited(QStringLiteral("セル消去"), sheet, row, col, {}, false);
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
            Discount();
        }
        const int r = view->CurrentGridRow();
        const int cNow = view->CurrentCol();
        if (cNow < columns.lastEnterColumn) {
            int next = cNow + 1;
            while (next < columns.lastEnterColumn && view->isColumnHidden(next)) ++next;
            MoveCursor(view, r, next);
        } else if (r < columns.lastDataRow) {
            MoveCursor(view, r + 1, 2);
        }
        return true;
    }
    if (editing) return false;
    if (key == Qt::Key_Home && mods == Qt::NoModifier) {
        MoveCursor(view, row, 2);
        return true;
    }
    if (key == Qt::Key_Home && mods == Qt::ControlModifier) {
        MoveCursor(view, 1, 2);
        return true;
    }
    if (mods != Qt::NoModifier) return false;
    if (key == Qt::Key_Right || key == Qt::Key_Left) {
        const int past = TypableColumnPast(sheet, col, key == Qt::Key_Right ? 1 : -1);
        if (past != kNoColumn) {
            MoveCursor(view, row, past);
            return true;
        }
    }
    if (key == Qt::Key_Left && col <= 2) return true;
    return false;
}

// --- Line operations -------------------------------------------------------------------------

std::optional<SheetKind> GridController::FocusedOnVisibleTab() const {
    if (!active_) return std::nullopt;
    const int tab = c_.VisibleTab();
    const bool visible = (*active_ == SheetKind::Summary && tab == kSummaryTab) ||
                         (*active_ == SheetKind::Breakdown && tab == kBreakdownTab) ||
                         (*active_ == SheetKind::Detail && tab == kDetailTab);
    return visible ? active_ : std::nullopt;
}

SheetKind GridController::VisibleSheet() const {
    switch (c_.VisibleTab()) {
        case kBreakdownTab:
            return SheetKind::Breakdown;
        case kDetailTab:
            return SheetKind::Detail;
        default:
            return SheetKind::Summary;
    }
}

void GridController::InsertLine() {
    const auto sheet = FocusedOnVisibleTab();
    if (!sheet) return;
    c_.View(*sheet)->CommitEdit();
    SyncCurrentRow(*sheet);
    const bool done = *sheet == SheetKind::Breakdown ? InsertBreakdownLine(c_.document)
                                                     : quilto::InsertLine(c_.document.Grid(*sheet));
    if (!done) return;
    emit Edited(QStringLiteral("行挿入"), *sheet, -1, -1, {}, false);
    Calculate(*sheet);
}

void GridController::DeleteLine() {
    const auto sheet = FocusedOnVisibleTab();
    if (!sheet) return;
    c_.View(*sheet)->CommitEdit();
    SyncCurrentRow(*sheet);
    if (*sheet == SheetKind::Breakdown) {
        DeleteBreakdownLine(c_.document);
    } else {
        quilto::DeleteLine(c_.document.Grid(*sheet));
    }
    emit Edited(QStringLiteral("行削除"), *sheet, -1, -1, {}, false);
    Calculate(*sheet);
}

void GridController::CopyLine() {
    if (!active_) return;
    SyncCurrentRow(*active_);
    c_.clipboard.Copy(c_.document.Grid(*active_));
}

void GridController::PasteLine() {
    if (!active_) return;
    SheetGridView* view = c_.View(*active_);
    SyncCurrentRow(*active_);
    if (c_.clipboard.Paste(c_.document.Grid(*active_), *active_, view->IsEditing())) {
        c_.Model(*active_)->RefreshRow(view->CurrentGridRow());
        emit Edited(QStringLiteral("行貼付け"), *active_, -1, -1, {}, false);
    }
}

void GridController::DuplicateLine() {
    if (!active_) return;
    SheetGridView* view = c_.View(*active_);
    SyncCurrentRow(*active_);
    const int row = view->CurrentGridRow();
    const int next = DuplicateLineAbove(c_.document.Grid(*active_), *active_, view->IsEditing());
    c_.Model(*active_)->RefreshRow(row);
    emit Edited(QStringLiteral("上の行を複写"), *active_, row, view->CurrentCol(), {}, false);
    if (next != row) view->SetCurrentCell(next, view->CurrentCol());
}

void GridController::HideRemarks() {
    if (!active_) return;
    SheetGridView* view = c_.View(*active_);
    if (view->CurrentCol() != ColumnsOf(*active_).remarks) return;
    view->CommitEdit();
    quilto::HideRemarks(c_.document.Grid(*active_), *active_, view->CurrentGridRow());
    c_.Model(*active_)->RefreshRow(view->CurrentGridRow());
    emit Edited(QStringLiteral("摘要隠し"), *active_, -1, -1, {}, false);
}

void GridController::SpecialLine(LineKind kind) {
    // The grid of the tab that shows; the command needs it to have the focus.
    const auto sheet = FocusedOnVisibleTab();
    if (!sheet) return;
    if (*sheet == SheetKind::Detail && (kind == LineKind::Zei || kind == LineKind::Goukei)) return;
    SheetGridView* view = c_.View(*sheet);
    view->CommitEdit();
    SyncCurrentRow(*sheet);
    TextGrid& grid = c_.document.Grid(*sheet);
    if (!MakeSpecialLine(grid, *sheet, kind)) return;
    Calculate(*sheet);
    const int row = view->CurrentGridRow();
    static const QMap<LineKind, QString> kNames = {{LineKind::Syokei, QStringLiteral("小計")},
                                                   {LineKind::Nakakei, QStringLiteral("中計")},
                                                   {LineKind::Zei, QStringLiteral("消費税")},
                                                   {LineKind::Goukei, QStringLiteral("合計")}};
    emit Edited(kNames.value(kind, QStringLiteral("計算行")), *sheet, row, -1, {}, false);
    view->SetCurrentCell(NextRowAfterCommand(grid, row), view->CurrentCol());
}

void GridController::Discount() {
    const auto sheet = FocusedOnVisibleTab();
    if (!sheet) return;
    SheetGridView* view = c_.View(*sheet);
    view->CommitEdit();
    SyncCurrentRow(*sheet);
    TextGrid& grid = c_.document.Grid(*sheet);
    if (!PrepareDiscountLine(grid, *sheet, c_.document.Text(HeaderText::MNo))) return;
    Calculate(*sheet);
    AskDiscountAmount(grid, *sheet, c_.program.questions);
    Calculate(*sheet);
    const int row = view->CurrentGridRow();
    emit Edited(QStringLiteral("値引"), *sheet, row, -1, {}, false);
    view->SetCurrentCell(NextRowAfterCommand(grid, row), view->CurrentCol());
    view->setFocus();
}

void GridController::ShowCover() {
    HideUnitList(false);
    if (c_.VisibleTab() == kDetailTab) StoreDetail();
    c_.pageControl1->setCurrentIndex(kCoverTab);
}

void GridController::NextTab() {
    if (c_.VisibleTab() == kDetailTab) StoreDetail();
    HideUnitList(false);
    static constexpr int kNext[] = {kSummaryTab, kBreakdownTab, kDetailTab, kSummaryTab};
    c_.pageControl1->setCurrentIndex(kNext[c_.VisibleTab()]);
}

void GridController::StepLine(int row) {
    if (c_.VisibleTab() != kDetailTab) return;
    StoreDetail();
    CalculateBreakdown();
    CalculateSummary();
    SheetGridView* breakdown = c_.View(SheetKind::Breakdown);
    breakdown->SetCurrentCell(row, breakdown->CurrentCol() < 2 ? 2 : breakdown->CurrentCol());
    LoadDetail(row);
}

void GridController::PopUpSubMenu(const QPoint& at) {
    if (!active_) return;
    EditorActions& a = c_.actions;
    const bool summary = *active_ == SheetKind::Summary;
    const bool breakdown = *active_ == SheetKind::Breakdown;
    for (QAction* action : {a.lCopy, a.lPast, a.lDup}) action->setVisible(!breakdown);
    a.kakeSetS->setVisible(summary);
    a.kakeRetS->setVisible(summary);
    a.kakeSet->setVisible(breakdown);
    a.kakeRet->setVisible(breakdown);
    a.popupMenu1->exec(at);
    for (QAction* action : {a.lCopy, a.lPast, a.lDup, a.kakeSet, a.kakeRet, a.kakeSetS, a.kakeRetS})
        action->setVisible(true);
}

void GridController::ApplyMultiplier(SheetKind sheet) {
    if (active_ != sheet) return;
    c_.View(sheet)->CommitEdit();
    const bool changed =
        sheet == SheetKind::Breakdown
            ? c_.multiplier.ApplyToBreakdown(c_.document, c_.calculator, c_.program.questions)
            : c_.multiplier.ApplyToSummary(c_.document, c_.calculator, c_.program.questions);
    if (!changed) return;
    RefreshGrids();
    emit Edited(QStringLiteral("掛け率設定"), sheet, -1, -1, {}, true);
}

void GridController::UndoMultiplier(SheetKind sheet) {
    if (active_ != sheet) return;
    const bool changed =
        sheet == SheetKind::Breakdown
            ? c_.multiplier.UndoBreakdown(c_.document, c_.calculator, c_.program.questions)
            : c_.multiplier.UndoSummary(c_.document, c_.calculator, c_.program.questions);
    if (!changed) return;
    RefreshGrids();
    emit Edited(QStringLiteral("設定前に戻す"), sheet, -1, -1, {}, true);
}

void GridController::Guide() {
    if (c_.lbUnit->isVisible()) {
        HideUnitList(true);
        return;
    }
    if (c_.guide && c_.guide->IsGuideVisible()) {
        c_.guide->HideGuide();
        c_.guideOpener = GuideOpener::kNone;
        return;
    }
    if (!active_) return;
    const SheetKind sheet = *active_;
    SheetGridView* view = c_.View(sheet);
    if (view->CurrentCol() == UnitColumnOf(sheet)) {
        OpenUnitList(sheet);
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

// --- Detail sheet ------------------------------------------------------------------------------

void GridController::LoadDetail(int breakdownRow) {
    SheetGridView* view = c_.View(SheetKind::Detail);
    const TextGrid& breakdown = c_.document.Grid(SheetKind::Breakdown);
    c_.document.LoadDetailSheet(breakdownRow);
    if (IsSpecialKind(breakdown, breakdownRow)) {
        c_.panelB6->ShowLine(breakdownRow, QString::fromUtf8(kNotEditable));
        c_.Model(SheetKind::Detail)->Refresh();
        view->SetGreyed(true);
        return;
    }
    view->SetGreyed(false);
    c_.panelB6->UpDown1()->SetValue(breakdownRow);
    c_.panelB6->ShowLine(breakdownRow,
                         Cp932ToQStringLossy(Trimmed(breakdown.Cell(breakdownRow, 3))));
    const int last = LastUsedGridRow(c_.document.Grid(SheetKind::Detail));
    int row = view->CurrentGridRow();
    int col = view->CurrentCol();
    if (row > last) row = 1;
    if (col < 2) col = 2;
    view->SetCurrentCell(row, col);
    c_.Model(SheetKind::Detail)->Refresh();
    RefreshStatus(SheetKind::Detail);
    ShowFigures();
}

void GridController::StoreDetail() {
    if (c_.document.DetailSheetRow() == 0) return;
    SheetGridView* view = c_.View(SheetKind::Detail);
    view->CommitEdit();
    FormatRow(SheetKind::Detail, view->CurrentGridRow());
    const int row = c_.document.DetailSheetRow();
    c_.document.StoreDetailSheet();
    c_.Model(SheetKind::Breakdown)->RefreshRow(row);
    ShowFigures();
}

// --- Unit list -----------------------------------------------------------------------------------

void GridController::OpenUnitList(SheetKind sheet) {
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
    unitListSheet_ = sheet;
    c_.unitListInUse = true;
    list->show();
    list->setFocus();
}

void GridController::ChooseUnit() {
    const QList<QListWidgetItem*> chosen = c_.lbUnit->selectedItems();
    QListWidgetItem* item = chosen.isEmpty() ? nullptr : chosen.first();
    const SheetKind sheet = VisibleSheet();
    if (item && c_.lbUnit->isVisible() && c_.VisibleTab() != kCoverTab) {
        const std::string unit = QStringToCp932(item->text()).value_or(std::string());
        SheetGridView* view = c_.View(sheet);
        const int row = view->CurrentGridRow();
        const int col = view->CurrentCol();
        if (sheet == SheetKind::Detail) {
            const int line = c_.View(SheetKind::Breakdown)->CurrentGridRow();
            c_.document.LoadDetailSheet(line);
            c_.document.Grid(SheetKind::Detail).SetCell(row, UnitColumnOf(sheet), unit);
            c_.document.StoreDetailSheet();
            c_.Model(SheetKind::Breakdown)->RefreshRow(line);
        } else {
            c_.document.Grid(sheet).SetCell(row, UnitColumnOf(sheet), unit);
        }
        c_.Model(sheet)->Refresh();
        view->SetCurrentCell(row, col);
        emit Edited(QStringLiteral("単位選択"), sheet, row, col, {}, false);
    }
    HideUnitList(true);
}

void GridController::HideUnitList(bool refocus) {
    if (!c_.lbUnit->isVisible()) {
        c_.unitListInUse = false;
        return;
    }
    c_.lbUnit->hide();
    if (refocus && c_.VisibleTab() != kCoverTab) c_.View(VisibleSheet())->setFocus();
    c_.unitListInUse = false;
    unitListSheet_.reset();
}

bool GridController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == c_.lbUnit) {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                ChooseUnit();
                return true;
            }
            if (key->key() == Qt::Key_Escape) {
                HideUnitList(true);
                return true;
            }
        } else if (event->type() == QEvent::FocusOut && c_.lbUnit->isVisible()) {
            auto* focus = static_cast<QFocusEvent*>(event);
            if (focus->reason() != Qt::PopupFocusReason &&
                focus->reason() != Qt::ActiveWindowFocusReason) {
                QMetaObject::invokeMethod(
                    this, [this] { HideUnitList(false); }, Qt::QueuedConnection);
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

// --- For the lookup guide ------------------------------------------------------------------------

void GridController::FillProduct(const std::string& category, const std::string& productCode) {
    SheetGridView* view = c_.View(SheetKind::Detail);
    view->CommitEdit();
    const int row = view->CurrentGridRow();
    FillDetailRowFromProduct(c_.document.Grid(SheetKind::Detail), row, c_.program.masters, category,
                             productCode, c_.calculator.Settings());
    c_.Model(SheetKind::Detail)->RefreshRow(row);
    emit Edited(QStringLiteral("商品選択"), SheetKind::Detail, row, -1, {}, false);
}

void GridController::MoveCurrentRowDown(SheetKind sheet) {
    SheetGridView* view = c_.View(sheet);
    const TextGrid& grid = c_.document.Grid(sheet);
    const int row = view->CurrentGridRow();
    view->SetCurrentCell(NextRowAfterCommand(grid, row), view->CurrentCol());
}

void GridController::FocusActiveGrid() {
    if (active_) c_.View(*active_)->setFocus();
}

}  // namespace quilto
