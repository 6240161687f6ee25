#include "app/editor/undo_controller.h"

#include <QAction>
#include <QComboBox>

#include "app/editor/cover_panel.h"
#include "app/editor/sheet_display.h"
#include "app/foundation/typed_line_edit.h"

namespace quilto {

namespace {

EditPlace::Page PageOf(SheetKind sheet) {
    switch (sheet) {
        case SheetKind::Breakdown:
            return EditPlace::Page::Breakdown;
        case SheetKind::Detail:
            return EditPlace::Page::Detail;
        case SheetKind::Summary:
            break;
    }
    return EditPlace::Page::Summary;
}

int TabOf(EditPlace::Page page) {
    switch (page) {
        case EditPlace::Page::Summary:
            return kSummaryTab;
        case EditPlace::Page::Breakdown:
            return kBreakdownTab;
        case EditPlace::Page::Detail:
            return kDetailTab;
        case EditPlace::Page::Cover:
            break;
    }
    return kCoverTab;
}

}  // namespace

UndoController::UndoController(EditorContext& context, SheetDisplay& display, QObject* parent)
    : QObject(parent), context_(context), display_(display) {
    connect(context_.actions.undo1, &QAction::triggered, this, &UndoController::Undo);
    connect(context_.actions.redo1, &QAction::triggered, this, &UndoController::Redo);
    RefreshActions();
}

void UndoController::RecordGrid(const QString& name, SheetKind sheet, int row, int col,
                                const std::string& mergeKey, bool multiplier) {
    SheetGridView* view = context_.View(sheet);
    EditPlace place;
    place.page = PageOf(sheet);
    place.row = row >= 0 ? row : view->CurrentGridRow();
    place.col = col >= 0 ? col : view->CurrentCol();
    if (sheet == SheetKind::Detail)
        place.line = context_.View(SheetKind::Breakdown)->CurrentGridRow();
    Record(name, std::move(place), mergeKey, multiplier);
}

void UndoController::RecordCover(const QString& name, const QString& field) {
    EditPlace place;
    place.field = field.toStdString();
    Record(name, std::move(place), "cover " + place.field, false);
}

void UndoController::Record(const QString& name, EditPlace place, const std::string& mergeKey,
                            bool multiplier) {
    if (applying_ || stopped_ || context_.ReadOnly()) return;
    const bool lineChange = mergeKey.empty() || place.page != last_.page ||
                            place.row != last_.row || place.field != last_.field;
    EditStep step{name.toStdString(), place, mergeKey, multiplier};
    if (!context_.history.Record(context_.document, std::move(step))) return;
    last_ = std::move(place);
    // Writing the sheet on screen back to the store may have changed its line's figures.
    if (const int line = context_.document.DetailSheetRow(); line > 0)
        context_.editorDocument.RowsWereChanged(SheetKind::Breakdown, line, line);
    RefreshActions();
    emit Changed(lineChange);
}

void UndoController::Undo() { Apply(false); }
void UndoController::Redo() { Apply(true); }

void UndoController::Apply(bool redo) {
    if (context_.ReadOnly() || applying_ || stopped_) return;
    // Text still in a cell's editor belongs to the history before anything is undone.
    for (SheetKind sheet : {SheetKind::Breakdown, SheetKind::Detail, SheetKind::Summary})
        context_.View(sheet)->CommitEdit();
    applying_ = true;
    EditHistory& history = context_.history;
    const std::optional<EditStep> step =
        redo ? history.Redo(context_.document) : history.Undo(context_.document);
    if (step) {
        // The multiplier's own undo would put back prices from before a state that is gone.
        if (step->multiplier) context_.multiplier.Forget();
        ShowPlace(step->place);
        history.Settle(context_.document);
        last_ = {};
    }
    applying_ = false;
    RefreshActions();
    if (step) emit Changed(true);
}

void UndoController::ShowPlace(const EditPlace& place) {
    EstimateDocument& document = context_.document;
    const int tab = TabOf(place.page);
    if (place.page != EditPlace::Page::Detail && document.DetailSheetRow() > 0) {
        // The store already holds what the sheet shows; the grid is emptied as on leaving.
        document.DropDetailSheet();
    }
    if (place.page == EditPlace::Page::Detail) {
        SheetGridView* breakdown = context_.View(SheetKind::Breakdown);
        breakdown->SetCurrentCell(place.line, std::max(breakdown->CurrentCol(), 2));
        document.DropDetailSheet();
        context_.pageControl1->setCurrentIndex(tab);
        display_.LoadDetail(place.line);
    } else {
        context_.pageControl1->setCurrentIndex(tab);
    }
    display_.CalculateBreakdown();
    display_.CalculateSummary();
    if (document.DetailSheetRow() > 0) display_.CalculateDetail();
    display_.CalculateSelected();
    context_.editorDocument.AllWereChanged();
    context_.cover->ShowDocument();
    if (place.page == EditPlace::Page::Cover) {
        QWidget* field = context_.cover->Field(QString::fromStdString(place.field));
        if (place.field == "MName1") field = context_.cover->MName1();
        if (place.field == "MTitle1") field = context_.cover->MTitle1();
        (field ? field : static_cast<QWidget*>(context_.cover->MName1()))->setFocus();
        return;
    }
    SheetKind sheet = place.page == EditPlace::Page::Summary     ? SheetKind::Summary
                      : place.page == EditPlace::Page::Breakdown ? SheetKind::Breakdown
                                                                 : SheetKind::Detail;
    SheetGridView* view = context_.View(sheet);
    view->setFocus();
    view->SetCurrentCell(place.row, std::max(place.col, 2));
}

void UndoController::Reset(bool changed) {
    EditHistory& history = context_.history;
    history.SetEnabled(!context_.ReadOnly());
    history.Reset(context_.document, changed);
    last_ = {};
    stopped_ = false;
    RefreshActions();
}

void UndoController::Stop() {
    stopped_ = true;
    context_.history.SetEnabled(false);
    RefreshActions();
}

void UndoController::Saved() {
    // The session made this point of the history clean as it saved.
    RefreshActions();
}

bool UndoController::Modified() const {
    return !stopped_ && !context_.ReadOnly() && context_.history.Modified();
}

void UndoController::RefreshActions() {
    const EditHistory& history = context_.history;
    QAction* undo = context_.actions.undo1;
    QAction* redo = context_.actions.redo1;
    undo->setEnabled(history.CanUndo());
    redo->setEnabled(history.CanRedo());
    undo->setText(history.CanUndo()
                      ? QStringLiteral("%1: %2").arg(QString::fromUtf8(kUndoCaption),
                                                     QString::fromStdString(history.UndoName()))
                      : QString::fromUtf8(kUndoCaption));
    redo->setText(history.CanRedo()
                      ? QStringLiteral("%1: %2").arg(QString::fromUtf8(kRedoCaption),
                                                     QString::fromStdString(history.RedoName()))
                      : QString::fromUtf8(kRedoCaption));
}

}  // namespace quilto
