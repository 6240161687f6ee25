#include "app/editor/estimate_session.h"

#include <QStatusBar>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTimer>
#include <QToolButton>

#include "app/editor/cover_panel.h"
#include "app/editor/grid_controller.h"
#include "app/editor/recovery_controller.h"
#include "app/editor/undo_controller.h"
#include "app/foundation/lookup_guide_link.h"
#include "app/foundation/typed_line_edit.h"
#include "core/editor/estimate_io.h"
#include "core/excel/pattern_choice.h"
#include "core/foundation/cp932.h"
#include "core/foundation/file_helpers.h"
#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"
#include "core/shell/shell_state.h"

namespace quilto {

namespace {

constexpr int kOutputDelayMs = 500;
const char* const kReadOnlySuffix = " < 書込み不可 >";
const char* const kLoadError = "見積読込エラー  ";

// A number the list hands over: blank, not numeric or with "." opens a new estimate.
bool IsUsableNumber(const std::string& number) {
    const std::string trimmed = Trimmed(number);
    return !trimmed.empty() && trimmed.find('.') == std::string::npos && IsNumberText(trimmed);
}

std::string SixDigits(const std::string& number) {
    const std::string trimmed = Trimmed(number);
    return trimmed.size() >= 6 ? trimmed : std::string(6 - trimmed.size(), '0') + trimmed;
}

}  // namespace

EstimateSession::EstimateSession(EditorContext& context, GridController& grids, QObject* parent)
    : QObject(parent), c_(context), grids_(grids) {}

QString EstimateSession::Caption() const {
    const std::string folder = c_.program.environment.DataFolderSetting();
    QString caption =
        QString::fromUtf8(kProgramName) + QStringLiteral(" (FormMVell1)    ") +
        QDir::currentPath() + QLatin1Char('/') +
        (HasText(folder) ? Cp932ToQStringLossy(Trimmed(folder)) : QStringLiteral("DAT/"));
    if (c_.ReadOnly()) {
        caption += QString::fromUtf8(kReadOnlySuffix);
        // Who has it open, when the marker says.
        const std::string holder =
            c_.program.markers.EstimateHolder(Trimmed(c_.program.document.Text(HeaderText::MNo)));
        if (!holder.empty())
            caption += QStringLiteral(" 使用中: ") + QString::fromStdString(holder);
    }
    return caption;
}

std::string EstimateSession::NewNumber() { return NextManagementNumber(c_.program.environment); }

void EstimateSession::ShowDocument() {
    c_.cover->ShowDocument();
    c_.cover->ShowTaxMessage(c_.program.environment);
    c_.editorDocument.AllWereChanged();
}

void EstimateSession::ShowCover() {
    c_.pageControl1->setCurrentIndex(kCoverTab);
    c_.cover->MName1()->setFocus();
}

bool EstimateSession::FormShow() {
    if (undo_) undo_->Stop();
    c_.clipboard.Clear();
    c_.actions.subMenu1->hide();
    c_.multiplier.Reset();
    c_.cover->SetHistories(c_.program.shell.customerHistory, c_.program.shell.titleHistory);
    c_.session.UseSettings(c_.program.environment);
    c_.pageControl1->setCurrentIndex(kCoverTab);
    // On the cover the line commands have no grid to act on. Entering the tab turns them
    // off, but a window that shows with the cover already current enters no tab: without
    // this a new estimate's first showing offered 小計・計・税 and a reopened one did not.
    grids_.Navigation().EnableGridCommands(false);

    const EntryMode mode = c_.program.shell.entryMode;
    const std::string selected = c_.program.shell.selectedNumber;
    const std::string recoverFrom = c_.program.shell.recoverySnapshot;
    c_.program.shell.recoverySnapshot.clear();
    c_.document.BeginSession(mode);
    c_.document.SetReadOnly(false);
    switch (mode) {
        case EntryMode::kExit:
            return false;
        case EntryMode::kCopy: {
            const std::string fresh = NewNumber();
            LoadByNumber(selected, true);
            c_.document.SetReadOnly(false);
            c_.document.SetText(HeaderText::MNo, fresh);
            break;
        }
        case EntryMode::kCallUp:
        case EntryMode::kOutput:
            LoadByNumber(selected, false);
            break;
        default:
            c_.document.BeginSession(EntryMode::kNew);
            ClearDocument();
            c_.document.SetText(HeaderText::MNo, NewNumber());
            break;
    }
    std::optional<RecoveryRecord> recovered;
    if (!recoverFrom.empty()) {
        // The user chose to bring these edits back when the program started.
        recovered = RecoverFrom(QString::fromStdString(recoverFrom));
    } else if (mode == EntryMode::kCallUp && recovery_) {
        if (const auto offer = recovery_->Offer(Trimmed(c_.document.Text(HeaderText::MNo)))) {
            if (RecoveryController::Ask(c_.program.questions, *offer, c_.ReadOnly()))
                recovered = RecoverFrom(offer->snapshotPath);
        }
    }
    ShowDocument();
    FormActivate();
    grids_.Display().CalculateSummary();
    grids_.Display().CalculateSelected();
    ShowCover();
    StartHistory(recovered);
    if (mode == EntryMode::kOutput) {
        if (c_.hooks.outputDialog) {
            c_.timer1->start(kOutputDelayMs);
        } else {
            // Until there is an output dialog the estimate is simply open for change.
            c_.document.BeginSession(EntryMode::kCallUp);
            c_.program.questions.Inform(kOutputMissingMessage);
        }
    }
    return true;
}

std::optional<RecoveryRecord> EstimateSession::RecoverFrom(const QString& path) {
    RecoveryRecord record;
    record.snapshotPath = path;
    QString base = path;
    if (base.endsWith(QStringLiteral(".dat"))) base.chop(4);
    record.recordPath = base + QStringLiteral(".rec");
    record.lockPath = base + QStringLiteral(".lock");
    // Read first, so a snapshot that cannot be read leaves the estimate as it was opened.
    EstimateHeader header;
    EstimateStores stores;
    const auto unreadable = [&] {
        c_.program.questions.Inform("復元できません。未保存の編集のファイルが読めません (" +
                                    path.toStdString() + ": " + LastFileFailure().toStdString() +
                                    ")。保存されている見積を開きます。");
    };
    if (ReadEstimateFile(path, header, stores) != EstimateResult::kOk ||
        header.SignatureKind() == EstimateSignature::Foreign) {
        unreadable();
        return std::nullopt;
    }
    if (c_.session.OpenFile(path) != EstimateResult::kOk) {
        // The snapshot changed between the two reads: the stored estimate is opened again.
        unreadable();
        const std::string number = Trimmed(c_.document.Text(HeaderText::MNo));
        if (const EstimateResult stored =
                c_.session.Open(c_.program.environment, number, c_.document.Entry());
            stored != EstimateResult::kOk) {
            c_.program.questions.Inform(
                kLoadError + std::to_string(static_cast<int>(stored)) + " (" +
                EstimateFilePath(c_.program.environment, number).toStdString() + ")");
        }
        return std::nullopt;
    }
    c_.View(SheetKind::Breakdown)->SetCurrentCell(1, 2);
    grids_.Display().CalculateSelected();
    return record;
}

void EstimateSession::StartHistory(const std::optional<RecoveryRecord>& recovered) {
    if (undo_) undo_->Reset(recovered.has_value() && !c_.ReadOnly());
    if (recovered && recovery_) recovery_->Adopted(*recovered);
}

void EstimateSession::FormActivate() {
    c_.form->setWindowTitle(Caption());
    const bool writable = !c_.ReadOnly();
    c_.actions.saveBtn->setEnabled(writable);
    c_.actions.save1->setEnabled(writable);
    EditorActions& a = c_.actions;
    for (QToolButton* b : {a.sbIns, a.sbDel, a.sbNebiki, a.sbGoukei}) b->setEnabled(false);
    c_.cover->ShowTaxMessage(c_.program.environment);
    c_.cover->ShowCompany(c_.program.environment);

    const Environment& environment = c_.program.environment;
    QStringList choices;
    for (const std::string& item : PatternChoiceItems(
             {environment.PatternName(0), environment.PatternName(1), environment.PatternName(2)}))
        choices << Cp932ToQStringLossy(item);
    const int stored = c_.document.PatternIndex();
    c_.cover->SetPatternChoices(choices, stored < choices.size() ? stored : 0);
    const int index = c_.cover->CBListMS()->currentIndex();
    c_.program.tables.Load(TablePatternCode(PatternCodeOfIndex(index)));
    const RowsPerPage rows = c_.program.tables.Rows();
    c_.rowsPerPage[0] = EffectiveRowsPerPage(rows.summary);
    c_.rowsPerPage[1] = EffectiveRowsPerPage(rows.breakdown);
    c_.rowsPerPage[2] = EffectiveRowsPerPage(rows.detail);
    grids_.Display().SetUpGrids();
}

void EstimateSession::PatternChosen(int index) {
    c_.document.SetPatternIndex(std::max(index, 0));
    const int keepTab = c_.VisibleTab();
    FormActivate();
    c_.pageControl1->setCurrentIndex(keepTab);
}

void EstimateSession::ClearDocument() {
    c_.guideOpener = GuideOpener::kNone;
    c_.unitListInUse = false;
    c_.session.StartNew(c_.program.environment);
    c_.document.SetReadOnly(false);
    ShowDocument();
    grids_.Display().CalculateBreakdown();
    c_.cover->ShowCompany(c_.program.environment);
    c_.View(SheetKind::Breakdown)->SetCurrentCell(1, 2);
    c_.pageControl1->setCurrentIndex(kCoverTab);
}

void EstimateSession::LoadByNumber(const std::string& number, bool copy) {
    c_.cover->ShowCompany(c_.program.environment);
    const std::string fresh = NewNumber();
    c_.session.StartNew(c_.program.environment);
    if (!copy && !IsUsableNumber(number)) {
        // Nothing to open: the editor goes on with a new estimate.
        c_.document.BeginSession(EntryMode::kNew);
        grids_.Display().CalculateBreakdown();
        c_.document.SetText(HeaderText::MNo, fresh);
        return;
    }
    const std::string name = IsUsableNumber(number) ? SixDigits(number) : Trimmed(number);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const EstimateResult loaded =
        c_.session.Open(c_.program.environment, name, c_.document.Entry());
    if (!copy) {
        Markers& markers = c_.program.markers;
        if (markers.HoldEstimateMarker(name) == MarkerHold::kDone &&
            markers.EstimateState() == MarkerState::kHeld) {
            heldNumber_ = name;
        }
        c_.document.SetReadOnly(markers.EstimateState() == MarkerState::kInUse);
    }
    QApplication::restoreOverrideCursor();
    if (loaded != EstimateResult::kOk) {
        c_.program.questions.Inform(kLoadError + std::to_string(static_cast<int>(loaded)) + " (" +
                                    EstimateFilePath(c_.program.environment, name).toStdString() +
                                    ")");
    }
    ShowDocument();
    c_.View(SheetKind::Breakdown)->SetCurrentCell(1, 2);
    grids_.Display().CalculateSelected();
}

bool EstimateSession::Save() {
    const bool onDetail = c_.VisibleTab() == kDetailTab;
    const int detailRow = c_.document.DetailSheetRow();
    // What is still being typed in the detail sheet belongs to the save.
    if (onDetail) grids_.Display().StoreDetail();
    const bool wasNew = heldNumber_.empty();
    const SaveResult result = c_.session.Save(c_.program.environment, c_.program.questions);
    c_.editorDocument.AllWereChanged();
    switch (result.outcome) {
        case SaveOutcome::kNoNumber:
            c_.program.questions.Inform(SaveOutcomeMessage(result));
            ShowCover();
            c_.cover->Field("MNo")->setFocus();
            return false;
        case SaveOutcome::kMissingFields:
            c_.program.questions.Inform(SaveOutcomeMessage(result));
            ShowCover();
            return false;
        case SaveOutcome::kOverflow:
            c_.program.questions.Inform(SaveOutcomeMessage(result));
            break;
        case SaveOutcome::kSaved:
            Saved(wasNew);
            break;
        case SaveOutcome::kWriteFailed:
            // A first save may have tried numbers before it failed.
            c_.cover->Field("MNo")->SetCp932Text(c_.document.Text(HeaderText::MNo));
            break;
        case SaveOutcome::kReadOnly:
            break;
    }
    // The sheet on screen stays the one being edited.
    if (onDetail && detailRow > 0) grids_.Display().LoadDetail(detailRow);
    FocusVisibleTab();
    return result.Saved();
}

void EstimateSession::Saved(bool wasNew) {
    if (undo_) undo_->Saved();
    if (recovery_) recovery_->Saved();
    const std::string number = Trimmed(c_.document.Text(HeaderText::MNo));
    // A new estimate got its number with its first save: it is held from now on like one
    // opened for change.
    if (wasNew && c_.document.NumberAssigned() &&
        c_.program.markers.HoldEstimateMarker(number) == MarkerHold::kDone &&
        c_.program.markers.EstimateState() == MarkerState::kHeld) {
        heldNumber_ = number;
    }
    c_.cover->Field("MNo")->SetCp932Text(c_.document.Text(HeaderText::MNo));
    // A save that worked says so where the eye is, for a while, with the number it took.
    if (c_.statusBar)
        c_.statusBar->showMessage(
            QStringLiteral("保存しました (%1)").arg(QString::fromStdString(number)),
            kSavedMessageMilliseconds);
}

void EstimateSession::FocusVisibleTab() {
    switch (c_.VisibleTab()) {
        case kSummaryTab:
            c_.View(SheetKind::Summary)->setFocus();
            break;
        case kBreakdownTab:
            c_.View(SheetKind::Breakdown)->setFocus();
            break;
        case kDetailTab:
            c_.View(SheetKind::Detail)->setFocus();
            break;
        default:
            c_.cover->MName1()->setFocus();
            break;
    }
}

void EstimateSession::Output() {
    if (!c_.hooks.outputDialog) return;
    if (c_.VisibleTab() == kDetailTab) grids_.Display().StoreDetail();
    ShowCover();
    if (!c_.ReadOnly()) {
        if (!Save()) return;
    }
    c_.hooks.outputDialog();
}

void EstimateSession::RunOutputMode() {
    c_.timer1->stop();
    if (c_.hooks.outputDialog) c_.hooks.outputDialog();
}

void EstimateSession::NewEstimateCommand() {
    if (undo_) undo_->Stop();
    ReleaseMarker();
    c_.document.BeginSession(EntryMode::kNew);
    ClearDocument();
    c_.document.SetText(HeaderText::MNo, NewNumber());
    ShowDocument();
    FormActivate();
    ShowCover();
    StartHistory(std::nullopt);
}

void EstimateSession::ReleaseMarker() {
    Markers& markers = c_.program.markers;
    if (!heldNumber_.empty()) markers.ReleaseEstimateMarker(heldNumber_);
    heldNumber_.clear();
    markers.ClearEstimateInUse();
}

bool EstimateSession::Close() {
    bool closing = false;
    const EntryMode mode = c_.document.Entry();
    if (mode == EntryMode::kOutput || c_.ReadOnly()) {
        ShowCover();
        closing = true;
    } else {
        ShowCover();
        const ButtonAnswer answer = c_.program.questions.AskButtons(
            kCloseQuestion, "", kSaveAndReturn, kDiscardAndReturn, kReenter);
        if (answer == ButtonAnswer::kFirst) {
            // The marker stays held until the editor really closes.
            if (Save()) closing = true;
        } else if (answer == ButtonAnswer::kSecond) {
            closing = true;
        }
    }
    grids_.Units().Hide(false);
    c_.unitListInUse = false;
    if (c_.guide && c_.guide->IsGuideVisible()) c_.guide->HideGuide();
    if (closing) {
        if (undo_) undo_->Stop();
        if (recovery_) recovery_->Closed();
        ReleaseMarker();
        c_.document.DropDetailSheet();
        c_.session.StartNew(c_.program.environment);
        c_.document.SetReadOnly(false);
        ShowDocument();
    }
    return closing;
}

}  // namespace quilto
