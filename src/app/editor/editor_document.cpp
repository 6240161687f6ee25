#include "app/editor/editor_document.h"

namespace quilto {

EditorDocument::EditorDocument(EditorSession& session, QObject* parent)
    : QObject(parent), session_(session) {}

SheetTotals EditorDocument::Calculate(SheetKind sheet) {
    EstimateCalculator& calculator = session_.Calculator();
    EstimateDocument& document = session_.Document();
    SheetTotals totals;
    switch (sheet) {
        case SheetKind::Breakdown:
            totals = calculator.CalculateBreakdown(document);
            break;
        case SheetKind::Summary:
            totals = calculator.CalculateSummary(document);
            break;
        case SheetKind::Detail:
            totals = calculator.CalculateDetail(document);
            break;
    }
    emit SheetChanged(sheet);
    emit FiguresChanged();
    return totals;
}

void EditorDocument::FormatRow(SheetKind sheet, int row) {
    session_.Calculator().FormatRowForDisplay(session_.Document(), sheet, row);
    emit RowsChanged(sheet, row, row);
}

void EditorDocument::SetCell(SheetKind sheet, int row, int col, std::string text) {
    session_.Document().Grid(sheet).SetCell(row, col, std::move(text));
    emit RowsChanged(sheet, row, row);
}

void EditorDocument::StoreDetailSheet() {
    EstimateDocument& document = session_.Document();
    const int row = document.DetailSheetRow();
    document.StoreDetailSheet();
    emit RowsChanged(SheetKind::Breakdown, row, row);
    emit FiguresChanged();
}

void EditorDocument::DropDetailSheet() {
    EstimateDocument& document = session_.Document();
    document.DropDetailSheet();
    // Every row emptied, none moved: the status keeps telling about the sheet last shown.
    emit RowsChanged(SheetKind::Detail, 1, document.Grid(SheetKind::Detail).RowCount() - 1);
}

void EditorDocument::RowsWereChanged(SheetKind sheet, int firstRow, int lastRow) {
    emit RowsChanged(sheet, firstRow, lastRow);
}

void EditorDocument::SheetWasChanged(SheetKind sheet) { emit SheetChanged(sheet); }

void EditorDocument::FiguresWereChanged() { emit FiguresChanged(); }

void EditorDocument::AllWereChanged() {
    for (SheetKind sheet : {SheetKind::Breakdown, SheetKind::Detail, SheetKind::Summary})
        emit SheetChanged(sheet);
    emit FiguresChanged();
}

}  // namespace quilto
