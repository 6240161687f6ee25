#include "app/editor/form_mvell1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QKeyEvent>
#include <QMenuBar>
#include <QShowEvent>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/editor/cover_panel.h"
#include "app/editor/editor_menus.h"
#include "app/editor/estimate_session.h"
#include "app/editor/grid_controller.h"
#include "app/editor/itemised_window.h"
#include "app/editor/recovery_controller.h"
#include "app/editor/sheet_grid_delegate.h"
#include "app/editor/undo_controller.h"
#include "app/foundation/issue_history_dialog.h"
#include "app/foundation/screen_fit.h"
#include "app/foundation/status_panels.h"
#include "app/foundation/typed_line_edit.h"
#include "core/editor/welfare_line.h"
#include "core/foundation/cp932.h"
#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"
#include "core/store/estimate_search.h"
#include "core/store/issued_archive.h"
#include "core/store/own_settings.h"

namespace quilto {

namespace {

constexpr int kWidth = 1270;
constexpr int kHeight = 960;
constexpr int kMinimumWidth = 1200;
constexpr int kMinimumHeight = 800;

bool IsEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

}  // namespace

TFormMVell1::TFormMVell1(ProgramState& program, QWidget* parent)
    : QDialog(parent), context_(std::make_unique<EditorContext>(program)) {
    setObjectName("FormMVell1");
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    EditorContext& c = *context_;
    c.form = this;

    // The grids' models and views come first: the panels and handlers refer to them.
    auto paintSettings = [&program] {
        return PaintSettings{program.environment.QuantityDecimals() == 2 ? 2 : 1,
                             program.environment.DiscountSign()};
    };
    auto refuse = [this](const QString& message) {
        // Told once the typing that caused it has been undone.
        QMetaObject::invokeMethod(
            this, [this, message] { context_->program.questions.Inform(message.toStdString()); },
            Qt::QueuedConnection);
    };
    for (SheetKind sheet : {SheetKind::Breakdown, SheetKind::Detail, SheetKind::Summary}) {
        const int i = static_cast<int>(sheet);
        auto* model = new SheetGridModel(c.document.Grid(sheet), sheet, this);
        model->Follow(c.editorDocument);
        auto* delegate = new SheetGridDelegate(sheet, paintSettings);
        delegate->SetRefusalHandler(refuse);
        c.views[i] = new SheetGridView(model, delegate);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->setMenuBar(BuildEditorMenuBar(this, c.actions));
    layout->addWidget(BuildSpeedButtons(this, c.actions));
    c.panelB1 = new HeaderFigureBar(this);
    layout->addWidget(c.panelB1);
    layout->addWidget(BuildTabs(), 1);

    const StatusPanels status = MakeStatusPanels(
        this, {{{350, Qt::AlignCenter}, {330, Qt::AlignCenter}, {50, Qt::AlignCenter}}});
    c.statusPanels = status.panels;
    layout->addWidget(status.bar);
    c.statusBar = status.bar;

    c.lbUnit = new QListWidget(this);
    c.lbUnit->setObjectName("LBUnit");
    c.lbUnit->setFixedSize(90, 180);
    c.lbUnit->hide();

    c.timer1 = new QTimer(this);
    c.timer1->setObjectName("Timer1");
    c.timer1->setSingleShot(true);

    grids_ = new GridController(c, this);
    session_ = new EstimateSession(c, *grids_, this);
    undo_ = new UndoController(c, grids_->Display(), this);
    recovery_ = new RecoveryController(c, *undo_, this);
    session_->SetHistory(undo_, recovery_);
    c.cover->SetRefusalHandler(refuse);
    Connect();
    RefreshHookedActions();

    resize(kWidth, kHeight);
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    grids_->Display().SetUpGrids();
}

TFormMVell1::~TFormMVell1() {
    qApp->removeEventFilter(this);
    disconnect(qApp, nullptr, this, nullptr);
    // The handlers go before the widgets they watch and the context they work on.
    context_->lbUnit->removeEventFilter(&grids_->Units());
    delete recovery_;
    delete undo_;
    delete session_;
    delete grids_;
    grids_ = nullptr;
    context_->document.SetCalculations(nullptr);
}

QWidget* TFormMVell1::BuildTabs() {
    EditorContext& c = *context_;
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName("PageControl1");
    tabs->setFocusPolicy(Qt::NoFocus);
    c.pageControl1 = tabs;

    auto* cover = new QWidget(tabs);
    cover->setObjectName("TabSheet1");
    c.cover = new CoverPanel(c.document, cover);
    c.cover->move(50, 10);
    tabs->addTab(cover, QStringLiteral("表 紙"));

    auto* summary = new QWidget(tabs);
    summary->setObjectName("TabSheet2");
    auto* summaryLayout = new QVBoxLayout(summary);
    summaryLayout->setContentsMargins(0, 0, 0, 0);
    summaryLayout->addWidget(c.View(SheetKind::Summary));
    tabs->addTab(summary, QStringLiteral("総括書"));

    auto* breakdown = new QWidget(tabs);
    breakdown->setObjectName("TabSheet3");
    auto* breakdownLayout = new QVBoxLayout(breakdown);
    breakdownLayout->setContentsMargins(0, 0, 0, 0);
    breakdownLayout->addWidget(c.View(SheetKind::Breakdown));
    tabs->addTab(breakdown, QStringLiteral("内訳書"));

    auto* detail = new QWidget(tabs);
    detail->setObjectName("TabSheet4");
    auto* detailLayout = new QVBoxLayout(detail);
    detailLayout->setContentsMargins(0, 0, 0, 0);
    detailLayout->setSpacing(2);
    c.panelB6 = new DetailBar(detail);
    detailLayout->addWidget(c.panelB6);
    detailLayout->addWidget(c.View(SheetKind::Detail));
    tabs->addTab(detail, QStringLiteral("明細書"));
    return tabs;
}

void TFormMVell1::Connect() {
    EditorContext& c = *context_;
    EditorActions& a = c.actions;
    GridController* g = grids_;
    EstimateSession* s = session_;
    auto both = [this](QAction* action, QToolButton* button, auto slot) {
        connect(action, &QAction::triggered, this, slot);
        if (button) connect(button, &QToolButton::clicked, this, slot);
    };
    both(a.save1, a.saveBtn, [s] { s->Save(); });
    both(a.exit1, a.cancelBtn, [this] { TryClose(); });
    connect(a.cancel, &QAction::triggered, this, [this] { TryClose(); });
    connect(a.new1, &QAction::triggered, this, [s] { s->NewEstimateCommand(); });
    both(a.xlsPrint1, a.sbXls, [s] { s->Output(); });
    connect(a.xlsSetup1, &QAction::triggered, this, [this, s] {
        if (!context_->hooks.tableSetup) return;
        context_->hooks.tableSetup();
        s->PatternChosen(context_->cover->CBListMS()->currentIndex());
    });
    connect(a.issueHistory1, &QAction::triggered, this, [this] {
        ProgramState& program = context_->program;
        const QString number = Cp932ToQStringLossy(program.document.Text(HeaderText::MNo));
        if (number.trimmed().isEmpty()) {
            program.questions.Inform(kNoNumberMessage);
            return;
        }
        const QString folder = IssuedArchiveFolder(program.environment);
        IssueHistoryDialog(folder, number, IssuesOf(ReadIssuedArchive(folder), number), this)
            .exec();
    });
    connect(a.itemised1, &QAction::triggered, this, &TFormMVell1::ShowItemisedWindow);
    connect(a.welfare1, &QAction::triggered, this, &TFormMVell1::WelfareLineCommand);
    connect(a.sConf1, &QAction::triggered, this, &TFormMVell1::SConf1Click);
    connect(a.sSyo1, &QAction::triggered, this, [this] {
        if (context_->hooks.nameRegistration) context_->hooks.nameRegistration();
    });
    connect(a.about1, &QAction::triggered, this, [this] {
        if (context_->hooks.versionWindow) context_->hooks.versionWindow();
    });
    both(a.lins, a.sbIns, [g] { g->Commands().InsertLine(); });
    both(a.ldel, a.sbDel, [g] { g->Commands().DeleteLine(); });
    connect(a.lCopy, &QAction::triggered, this, [g] { g->Commands().CopyLine(); });
    connect(a.lPast, &QAction::triggered, this, [g] { g->Commands().PasteLine(); });
    connect(a.lDup, &QAction::triggered, this, [g] { g->Commands().DuplicateLine(); });
    both(a.mx, a.mxBtn, [g] { g->Commands().HideRemarks(); });
    both(a.syokei, a.sbSyokei, [g] { g->Commands().SpecialLine(LineKind::Syokei); });
    both(a.nakakei, a.sbNakakei, [g] { g->Commands().SpecialLine(LineKind::Nakakei); });
    both(a.zei, a.sbZei, [g] { g->Commands().SpecialLine(LineKind::Zei); });
    both(a.goukei, a.sbGoukei, [g] { g->Commands().SpecialLine(LineKind::Goukei); });
    both(a.nebiki, a.sbNebiki, [g] { g->Commands().Discount(); });
    both(a.guid1, a.meisyoBtn1, [g] { g->Guide(); });
    connect(a.hyousi1, &QAction::triggered, this, [g] { g->Navigation().ShowCover(); });
    connect(a.meisai1, &QAction::triggered, this, [g] { g->Navigation().NextTab(); });
    connect(a.kakeSet, &QAction::triggered, this,
            [g] { g->Commands().ApplyMultiplier(SheetKind::Breakdown); });
    connect(a.kakeRet, &QAction::triggered, this,
            [g] { g->Commands().UndoMultiplier(SheetKind::Breakdown); });
    connect(a.kakeSetS, &QAction::triggered, this,
            [g] { g->Commands().ApplyMultiplier(SheetKind::Summary); });
    connect(a.kakeRetS, &QAction::triggered, this,
            [g] { g->Commands().UndoMultiplier(SheetKind::Summary); });
    connect(a.subMenu1, &QToolButton::clicked, this,
            [g] { g->Commands().PopUpSubMenu(QCursor::pos()); });
    connect(c.pageControl1, &QTabWidget::currentChanged, this,
            [g](int tab) { g->Navigation().TabEntered(tab); });

    connect(c.cover, &CoverPanel::CheckBox1Clicked, this,
            [g] { g->Display().CalculateSelected(); });
    UndoController* u = undo_;
    connect(g, &GridController::Edited, this,
            [u](const QString& name, SheetKind sheet, int row, int col, const QString& key,
                bool multiplier) {
                u->RecordGrid(name, sheet, row, col, key.toStdString(), multiplier);
            });
    connect(c.cover, &CoverPanel::CoverEdited, this,
            [u](const QString& control) { u->RecordCover(QStringLiteral("表紙の入力"), control); });
    connect(c.cover, &CoverPanel::CheckBox2Clicked, this,
            [this] { context_->cover->ShowTaxMessage(context_->program.environment); });
    connect(c.cover, &CoverPanel::PatternChosen, this, [s, u](int index) {
        s->PatternChosen(index);
        u->RecordCover(QStringLiteral("参照表選択"), QStringLiteral("CBListMS"));
    });
    connect(c.cover, &CoverPanel::GroupMSClicked, this, [this, s] {
        if (context_->hooks.tableSetup) context_->hooks.tableSetup();
        s->PatternChosen(context_->cover->CBListMS()->currentIndex());
    });
    connect(c.timer1, &QTimer::timeout, this, [this, s] {
        s->RunOutputMode();
        TryClose();
    });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        // Focus that moves to another window (a question, the guide) leaves the editor's
        // active control as it was.
        if (grids_ && now && now->window() == this && isVisible())
            grids_->Navigation().FocusMovedTo(now);
    });
}

void TFormMVell1::RefreshHookedActions() {
    EditorActions& a = context_->actions;
    const EditorHooks& h = context_->hooks;
    a.xlsPrint1->setEnabled(static_cast<bool>(h.outputDialog));
    a.sbXls->setEnabled(static_cast<bool>(h.outputDialog));
    a.sConf1->setEnabled(static_cast<bool>(h.settingsDialog));
    a.sSyo1->setEnabled(static_cast<bool>(h.nameRegistration));
    a.xlsSetup1->setEnabled(static_cast<bool>(h.tableSetup));
    a.about1->setEnabled(static_cast<bool>(h.versionWindow));
}

void TFormMVell1::SetOutputDialog(std::function<void()> open) {
    context_->hooks.outputDialog = std::move(open);
    RefreshHookedActions();
}

void TFormMVell1::SetSettingsDialog(std::function<void()> open) {
    context_->hooks.settingsDialog = std::move(open);
    RefreshHookedActions();
}

void TFormMVell1::SetNameRegistration(std::function<void()> open) {
    context_->hooks.nameRegistration = std::move(open);
    RefreshHookedActions();
}

void TFormMVell1::SetTableSetup(std::function<void()> open) {
    context_->hooks.tableSetup = std::move(open);
    RefreshHookedActions();
}

void TFormMVell1::SetVersionWindow(std::function<void()> open) {
    context_->hooks.versionWindow = std::move(open);
    RefreshHookedActions();
}

void TFormMVell1::SetLookupGuide(LookupGuide* guide) { context_->guide = guide; }

void TFormMVell1::SConf1Click() {
    if (!context_->hooks.settingsDialog) return;
    context_->hooks.settingsDialog();
    context_->session.UseSettings(context_->program.environment);
    grids_->Display().CalculateBreakdown();
    // New rounding or captions change figures: a step like any other.
    const auto sheet = grids_->Navigation().ActiveGrid();
    if (sheet && context_->VisibleTab() != kCoverTab) {
        undo_->RecordGrid(QStringLiteral("設定変更の再計算"), *sheet);
    } else {
        undo_->RecordCover(QStringLiteral("設定変更の再計算"), QStringLiteral("MName1"));
    }
}

void TFormMVell1::Open() {
    if (!Prepare()) return;
    QTimer::singleShot(0, this, [this] { context_->cover->MName1()->setFocus(); });
    exec();
}

void TFormMVell1::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) PlaceOnScreen(this, pos());
}

bool TFormMVell1::Begin() {
    if (!Prepare()) return false;
    show();
    activateWindow();
    context_->cover->MName1()->setFocus();
    return true;
}

bool TFormMVell1::Prepare() {
    closing_ = false;
    if (!session_->FormShow()) return false;
    qApp->installEventFilter(this);
    return true;
}

void TFormMVell1::done(int result) {
    qApp->removeEventFilter(this);
    QDialog::done(result);
}

void TFormMVell1::TryClose() {
    if (closing_) return;
    if (!session_->Close()) return;
    closing_ = true;
    done(QDialog::Accepted);
}

void TFormMVell1::reject() {
    // Esc does not close the editor (Shift+Esc does, through the close question).
}

void TFormMVell1::closeEvent(QCloseEvent* event) {
    if (closing_ || !isVisible()) {
        event->accept();
        return;
    }
    TryClose();
    if (closing_) {
        event->accept();
    } else {
        event->ignore();
    }
}

bool TFormMVell1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* target = static_cast<QWidget*>(watched);
        if (target->window() == this && isVisible() &&
            FormKeyDown(target, static_cast<QKeyEvent*>(event))) {
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool TFormMVell1::FormKeyDown(QWidget* target, QKeyEvent* event) {
    EditorContext& c = *context_;
    if (event->key() == Qt::Key_Escape) {
        if (event->modifiers() & Qt::ShiftModifier) {
            TryClose();
            return true;
        }
        // The unit list closes with Esc; everything else ignores it.
        return !(target == c.lbUnit || c.lbUnit->isAncestorOf(target));
    }
    // Ctrl+Z and Ctrl+Y go to the estimate's history even from a cover field, whose own
    // undo would take the keys; a cell being typed into keeps them for its text.
    const bool undo = event->matches(QKeySequence::Undo);
    const bool redo = event->matches(QKeySequence::Redo) ||
                      (event->key() == Qt::Key_Y && event->modifiers() == Qt::ControlModifier);
    if ((undo || redo) && !SheetGridView::IsCellEditor(target)) {
        (undo ? c.actions.undo1 : c.actions.redo1)->trigger();
        return true;
    }
    if (CoverKey(target, event)) return true;
    for (SheetKind sheet : {SheetKind::Breakdown, SheetKind::Detail, SheetKind::Summary}) {
        SheetGridView* view = c.View(sheet);
        if (target == view || view->isAncestorOf(target)) return grids_->GridKeyDown(view, event);
    }
    return false;
}

bool TFormMVell1::CoverKey(QWidget* target, QKeyEvent* event) {
    const QList<QWidget*>& order = context_->cover->NavigationOrder();
    int at = -1;
    for (int i = 0; i < order.size(); ++i) {
        if (order[i] == target || order[i]->isAncestorOf(target)) at = i;
    }
    if (at < 0) return false;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods != Qt::NoModifier) return false;
    const int key = event->key();
    const bool combo = qobject_cast<QComboBox*>(order[at]) != nullptr;
    const bool forward = key == Qt::Key_Down || key == Qt::Key_Tab || IsEnter(key);
    if (forward) {
        if (at + 1 < order.size()) {
            order[at + 1]->setFocus(Qt::TabFocusReason);
            return true;
        }
        return combo || IsEnter(key);
    }
    if (key == Qt::Key_Up) {
        if (at > 0) {
            order[at - 1]->setFocus(Qt::BacktabFocusReason);
            return true;
        }
        return combo;
    }
    return false;
}

// --- GuideTarget ---------------------------------------------------------------------------

std::optional<SheetKind> TFormMVell1::FocusedSheet() const {
    return grids_->Navigation().ActiveGrid();
}

int TFormMVell1::CurrentRow(SheetKind sheet) const {
    return context_->View(sheet)->CurrentGridRow();
}

std::string TFormMVell1::Cell(SheetKind sheet, int row, int col) const {
    return context_->document.Grid(sheet).Cell(row, col);
}

void TFormMVell1::SetCell(SheetKind sheet, int row, int col, const std::string& text) {
    context_->editorDocument.SetCell(sheet, row, col, text);
    // The guide writes several cells of one line: one step.
    undo_->RecordGrid(
        QStringLiteral("工事名選択"), sheet, row, col,
        "guide " + std::to_string(static_cast<int>(sheet)) + " " + std::to_string(row));
}

void TFormMVell1::FillProduct(const std::string& category, const std::string& productCode) {
    grids_->Commands().FillProduct(category, productCode);
}

void TFormMVell1::MoveCurrentRowDown(SheetKind sheet) {
    grids_->Navigation().MoveCurrentRowDown(sheet);
}

void TFormMVell1::FocusActiveGrid() { grids_->Navigation().FocusActiveGrid(); }

void TFormMVell1::GuideClosed() { context_->guideOpener = GuideOpener::kNone; }

void TFormMVell1::ShowItemisedWindow() {
    if (!itemisedWindow_) {
        EditorContext& c = *context_;
        itemisedWindow_ = new ItemisedWindow(
            [&c] { return ItemiseEstimate(c.document, c.program.environment.AmountRounding()); },
            this);
        // Live: whatever changes a cell of the breakdown or of the detail sheet on screen
        // (typing, a calculation, a line command) changes the table.
        for (SheetKind sheet : {SheetKind::Breakdown, SheetKind::Detail}) {
            connect(c.Model(sheet), &QAbstractItemModel::dataChanged, itemisedWindow_,
                    &ItemisedWindow::RefreshSoon);
        }
    }
    itemisedWindow_->show();
    itemisedWindow_->raise();
}

void TFormMVell1::WelfareLineCommand() {
    EditorContext& c = *context_;
    Questions& questions = c.program.questions;
    if (c.ReadOnly()) return;
    if (c.VisibleTab() != kDetailTab || c.document.DetailSheetRow() < 1) {
        questions.Inform("法定福利費の行は明細書で追加します。明細書を開いてから選んでください。");
        return;
    }
    c.View(SheetKind::Detail)->CommitEdit();
    OwnSettings settings;
    QString error;
    if (!ReadOwnSettings(settings, &error)) {
        questions.Inform(error.toStdString() + "\n設定ファイルを確認してください。");
        return;
    }
    // The rate set in 環境設定 is used as it is; only a firm that never set one is asked,
    // and its answer is kept there for the next time and the next PC.
    std::optional<Fixed4> rate = settings.WelfareRate();
    if (!rate) {
        const std::optional<std::string> answer = questions.AskText(
            "法定福利費", "法定福利費率（労務費に対する％）を入力してください。", std::string());
        if (!answer) return;
        rate = WelfareRateFromText(*answer);
        if (!rate) {
            questions.Inform(
                "法定福利費率は 0 より大きく 100 以下の数字で入力してください（例 15.6）。");
            return;
        }
        settings.SetWelfareRate(*rate);
        if (!WriteOwnSettings(settings, &error)) {
            questions.Inform("法定福利費率を保存できません。\n" + error.toStdString());
        }
    }
    const WelfareLine placed =
        PlaceWelfareLine(c.document, *rate, c.program.environment.AmountRounding());
    switch (placed.result) {
        case WelfareLineResult::kAdded:
        case WelfareLineResult::kUpdated:
            grids_->Display().CalculateDetail();
            c.View(SheetKind::Detail)->SetCurrentCell(placed.row, 3);
            break;
        case WelfareLineResult::kNoLabour:
            questions.Inform(
                "この明細書には労務費（歩掛単価、または区分「労」の行）がありません。");
            break;
        case WelfareLineResult::kSheetFull:
            questions.Inform("明細書に空いている行がありません。");
            break;
        case WelfareLineResult::kNoSheet:
            break;
    }
}

}  // namespace quilto
