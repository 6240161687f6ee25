#include "app/editor/grid_navigation.h"

#include <QAction>
#include <QComboBox>
#include <QToolButton>

#include "app/editor/cover_panel.h"
#include "app/editor/sheet_display.h"
#include "app/editor/unit_list.h"
#include "app/foundation/lookup_guide_link.h"
#include "core/editor/line_commands.h"
#include "core/editor/line_kind.h"
#include "core/foundation/number_text.h"

namespace quilto {

namespace {

constexpr SheetKind kSheets[] = {SheetKind::Breakdown, SheetKind::Detail, SheetKind::Summary};

}  // namespace

GridNavigation::GridNavigation(EditorContext& context, SheetDisplay& display, UnitList& units,
                               QObject* parent)
    : QObject(parent), c_(context), display_(display), units_(units) {
    for (SheetKind sheet : kSheets) {
        SheetGridView* view = c_.View(sheet);
        connect(view, &SheetGridView::CellSelected, this,
                [this, sheet](int row, int col) { CellSelected(sheet, row, col); });
        connect(
            view, &SheetGridView::MouseDown, this,
            [this, sheet](int row, int col, Qt::MouseButton b) { MouseDown(sheet, row, col, b); });
    }
    connect(c_.panelB6->UpDown1(), &LineStepper::Stepped, this, &GridNavigation::StepLine);
}

// --- Focus -------------------------------------------------------------------------------

std::optional<SheetKind> GridNavigation::FocusedOnVisibleTab() const {
    if (!active_) return std::nullopt;
    const int tab = c_.VisibleTab();
    const bool visible = (*active_ == SheetKind::Summary && tab == kSummaryTab) ||
                         (*active_ == SheetKind::Breakdown && tab == kBreakdownTab) ||
                         (*active_ == SheetKind::Detail && tab == kDetailTab);
    return visible ? active_ : std::nullopt;
}

void GridNavigation::FocusMovedTo(QWidget* widget) {
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

void GridNavigation::GridEnter(SheetKind sheet) {
    SheetGridView* view = c_.View(sheet);
    c_.actions.subMenu1->show();
    c_.actions.mxBtn->setEnabled(false);
    c_.actions.mx->setEnabled(false);
    if (sheet != SheetKind::Detail) {
        if (sheet == SheetKind::Breakdown) breakdownEdited_ = false;
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
    display_.CalculateDetail();
    const int line = c_.View(SheetKind::Breakdown)->CurrentGridRow();
    c_.panelB6->ShowLine(line, {});
    display_.LoadDetail(line);
}

void GridNavigation::GridExit(SheetKind sheet) {
    SheetGridView* view = c_.View(sheet);
    c_.actions.subMenu1->hide();
    view->CommitEdit();
    if (sheet != SheetKind::Detail) {
        c_.multiplier.Forget();
        display_.FormatRow(sheet, view->CurrentGridRow());
        if (sheet == SheetKind::Breakdown) {
            display_.CalculateBreakdown();
        } else {
            display_.CalculateSummary();
        }
    } else {
        display_.StoreDetail();
        if (!c_.unitListInUse) {
            c_.editorDocument.DropDetailSheet();
        }
    }
    if (c_.guide && c_.guide->IsGuideVisible()) c_.guide->HideGuide();
    c_.guideOpener = GuideOpener::kNone;
}

void GridNavigation::TabEntered(int tab) {
    units_.Hide(false);
    if (c_.guide && c_.guide->IsGuideVisible()) c_.guide->HideGuide();
    switch (tab) {
        case kCoverTab:
            c_.clipboard.Clear();
            EnableGridCommands(false);
            c_.cover->MName1()->setFocus();
            display_.CalculateSelected();
            break;
        case kSummaryTab:
        case kBreakdownTab: {
            c_.clipboard.Clear();
            EnableGridCommands(true);
            const SheetKind sheet = tab == kSummaryTab ? SheetKind::Summary : SheetKind::Breakdown;
            if (sheet == SheetKind::Summary) {
                display_.CalculateSummary();
            } else {
                display_.CalculateBreakdown();
            }
            c_.View(sheet)->setFocus();
            break;
        }
        case kDetailTab: {
            // The focus may already have moved into the detail grid when the page changed.
            const int line = c_.View(SheetKind::Breakdown)->CurrentGridRow();
            if (IsSpecialLine(LineKindOf(c_.document.Grid(SheetKind::Breakdown), line))) {
                display_.LoadDetail(line);
                break;
            }
            SheetGridView* detail = c_.View(SheetKind::Detail);
            detail->SetGreyed(false);
            // The tab shows the line's sheet even before the grid has the focus.
            if (c_.document.DetailSheetRow() != line) display_.LoadDetail(line);
            detail->setFocus();
            break;
        }
        default:
            break;
    }
}

void GridNavigation::EnableGridCommands(bool enabled) {
    EditorActions& a = c_.actions;
    for (QToolButton* b : {a.sbIns, a.sbDel, a.sbSyokei, a.sbNebiki, a.sbNakakei, a.sbZei,
                           a.sbGoukei, a.meisyoBtn1, a.mxBtn}) {
        b->setEnabled(enabled);
    }
}

// --- Cell moves and clicks ---------------------------------------------------------------

void GridNavigation::CellSelected(SheetKind sheet, int previousRow, int) {
    display_.FormatRow(sheet, previousRow);
    // The detail sheet's figures follow each move as well, so an amount shows as soon as its
    // quantity and price are in.
    display_.Calculate(sheet);
    // A calculation works from the figures as typed and writes them back in display form
    // (the breakdown's quantity as a whole number, money without fractions). After an edit
    // the first run may therefore leave an amount that disagrees with the quantity now
    // shown beside it; the second run works from what the rows show, so the sheet, its
    // totals and the printed page agree. Unedited rows are already in display form, which
    // is why the second run is only needed after an edit.
    if (sheet == SheetKind::Breakdown && breakdownEdited_) {
        breakdownEdited_ = false;
        display_.CalculateBreakdown();
    }
    display_.RefreshStatus(sheet);
}

void GridNavigation::CellEdited(SheetKind sheet) {
    if (sheet == SheetKind::Breakdown) breakdownEdited_ = true;
}

void GridNavigation::MouseDown(SheetKind sheet, int row, int col, Qt::MouseButton button) {
    SheetGridView* view = c_.View(sheet);
    display_.RefreshStatus(sheet);
    view->UpdateInputMethod();
    const bool remarks = col == ColumnsOf(sheet).remarks;
    c_.actions.mxBtn->setEnabled(remarks);
    c_.actions.mx->setEnabled(remarks);
    if (IsComputedColumn(sheet, col)) view->SetCurrentCell(row, TypableColumnAt(sheet, col));
    if (sheet == SheetKind::Detail) display_.CalculateDetail();
    if (button == Qt::LeftButton && col == ColumnsOf(sheet).unit) units_.Open(sheet);
}

// --- Keys ----------------------------------------------------------------------------------

void GridNavigation::MoveAfterEnter(SheetGridView* view) {
    const SheetColumns& columns = ColumnsOf(view->Sheet());
    const int r = view->CurrentGridRow();
    const int cNow = view->CurrentCol();
    if (cNow < columns.lastEnterColumn) {
        int next = cNow + 1;
        while (next < columns.lastEnterColumn && view->isColumnHidden(next)) ++next;
        view->SetCurrentCell(r, next);
    } else if (r < columns.lastDataRow) {
        view->SetCurrentCell(r + 1, 2);
    }
}

bool GridNavigation::CursorKey(SheetGridView* view, int key, Qt::KeyboardModifiers mods) {
    const SheetKind sheet = view->Sheet();
    const int row = view->CurrentGridRow();
    const int col = view->CurrentCol();
    if (key == Qt::Key_Home && mods == Qt::NoModifier) {
        view->SetCurrentCell(row, 2);
        return true;
    }
    if (key == Qt::Key_Home && mods == Qt::ControlModifier) {
        view->SetCurrentCell(1, 2);
        return true;
    }
    if (mods != Qt::NoModifier) return false;
    if (key == Qt::Key_Right || key == Qt::Key_Left) {
        const int past = TypableColumnPast(sheet, col, key == Qt::Key_Right ? 1 : -1);
        if (past != kNoColumn) {
            view->SetCurrentCell(row, past);
            return true;
        }
    }
    if (key == Qt::Key_Left && col <= 2) return true;
    return false;
}

// --- Tabs and lines ------------------------------------------------------------------------

void GridNavigation::ShowCover() {
    units_.Hide(false);
    if (c_.VisibleTab() == kDetailTab) display_.StoreDetail();
    c_.pageControl1->setCurrentIndex(kCoverTab);
}

void GridNavigation::NextTab() {
    if (c_.VisibleTab() == kDetailTab) display_.StoreDetail();
    units_.Hide(false);
    static constexpr int kNext[] = {kSummaryTab, kBreakdownTab, kDetailTab, kSummaryTab};
    c_.pageControl1->setCurrentIndex(kNext[c_.VisibleTab()]);
}

void GridNavigation::StepLine(int row) {
    if (c_.VisibleTab() != kDetailTab) return;
    display_.StoreDetail();
    display_.CalculateBreakdown();
    display_.CalculateSummary();
    SheetGridView* breakdown = c_.View(SheetKind::Breakdown);
    breakdown->SetCurrentCell(row, breakdown->CurrentCol() < 2 ? 2 : breakdown->CurrentCol());
    display_.LoadDetail(row);
}

void GridNavigation::MoveCurrentRowDown(SheetKind sheet) {
    SheetGridView* view = c_.View(sheet);
    const TextGrid& grid = c_.document.Grid(sheet);
    const int row = view->CurrentGridRow();
    view->SetCurrentCell(NextRowAfterCommand(grid, row), view->CurrentCol());
}

void GridNavigation::FocusActiveGrid() {
    if (active_) c_.View(*active_)->setFocus();
}

}  // namespace quilto
