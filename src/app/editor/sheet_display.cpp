#include "app/editor/sheet_display.h"

#include "app/editor/cover_panel.h"
#include "core/editor/line_kind.h"
#include "core/editor/page_layout.h"
#include "core/foundation/cp932.h"
#include "core/foundation/text_bytes.h"

namespace quilto {

namespace {

constexpr SheetKind kSheets[] = {SheetKind::Breakdown, SheetKind::Detail, SheetKind::Summary};

// "* 編集不可データ *": a special breakdown line has no detail sheet.
const char* const kNotEditable = "* 編集不可データ *";

int StatusPanelOf(SheetKind sheet) {
    return sheet == SheetKind::Summary ? 0 : sheet == SheetKind::Breakdown ? 1 : 2;
}

}  // namespace

SheetDisplay::SheetDisplay(EditorContext& context, QObject* parent) : QObject(parent), c_(context) {
    connect(&c_.editorDocument, &EditorDocument::SheetChanged, this, &SheetDisplay::RefreshStatus);
    connect(&c_.editorDocument, &EditorDocument::FiguresChanged, this, &SheetDisplay::ShowFigures);
}

SheetTotals SheetDisplay::CalculateBreakdown() {
    return c_.editorDocument.Calculate(SheetKind::Breakdown);
}

SheetTotals SheetDisplay::CalculateSummary() {
    return c_.editorDocument.Calculate(SheetKind::Summary);
}

SheetTotals SheetDisplay::CalculateDetail() {
    return c_.editorDocument.Calculate(SheetKind::Detail);
}

void SheetDisplay::CalculateSelected() {
    if (c_.document.CheckBox1()) {
        CalculateSummary();
    } else {
        CalculateBreakdown();
    }
}

void SheetDisplay::Calculate(SheetKind sheet) {
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

void SheetDisplay::ShowFigures() {
    c_.panelB1->Show(c_.document);
    c_.cover->ShowTotal(c_.panelB1->TotalText());
    const DetailFigures& detail = c_.calculator.LastDetailFigures();
    c_.panelB6->ShowTotals(detail.MGoukei21, detail.MGoukei22);
}

void SheetDisplay::RefreshStatus(SheetKind sheet) {
    const TextGrid& grid = c_.document.Grid(sheet);
    const std::string text = StatusText(sheet, c_.View(sheet)->CurrentGridRow(),
                                        c_.RowsPerPage(sheet), LastUsedGridRow(grid));
    c_.statusPanels[static_cast<std::size_t>(StatusPanelOf(sheet))]->setText(
        Cp932ToQStringLossy(text));
}

void SheetDisplay::SetUpGrids() {
    for (SheetKind sheet : kSheets) {
        SetUpSheetGrid(c_.document.Grid(sheet), sheet, c_.RowsPerPage(sheet));
        c_.editorDocument.SheetWasChanged(sheet);
        c_.View(sheet)->SetCurrentCell(1, 2);
    }
}

void SheetDisplay::FormatRow(SheetKind sheet, int row) { c_.editorDocument.FormatRow(sheet, row); }

void SheetDisplay::SyncCurrentRow(SheetKind sheet) {
    c_.document.Grid(sheet).SetCurrentRow(c_.View(sheet)->CurrentGridRow());
}

void SheetDisplay::LoadDetail(int breakdownRow) {
    SheetGridView* view = c_.View(SheetKind::Detail);
    const TextGrid& breakdown = c_.document.Grid(SheetKind::Breakdown);
    c_.document.LoadDetailSheet(breakdownRow);
    if (IsSpecialLine(LineKindOf(breakdown, breakdownRow))) {
        c_.panelB6->ShowLine(breakdownRow, QString::fromUtf8(kNotEditable));
        c_.editorDocument.SheetWasChanged(SheetKind::Detail);
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
    c_.editorDocument.SheetWasChanged(SheetKind::Detail);
    c_.editorDocument.FiguresWereChanged();
}

void SheetDisplay::StoreDetail() {
    if (c_.document.DetailSheetRow() == 0) return;
    SheetGridView* view = c_.View(SheetKind::Detail);
    view->CommitEdit();
    FormatRow(SheetKind::Detail, view->CurrentGridRow());
    c_.editorDocument.StoreDetailSheet();
}

}  // namespace quilto
