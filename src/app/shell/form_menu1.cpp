#include "app/shell/form_menu1.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "app/editor/recovery_controller.h"
#include "app/excel/form_mxls1.h"
#include "app/foundation/form_button.h"
#include "app/foundation/opening_failure.h"
#include "app/foundation/screen_fit.h"
#include "app/shell/form_about.h"
#include "app/shell/form_menu2.h"
#include "app/shell/shape_widget.h"
#include "core/foundation/text_bytes.h"
#include "core/shell/main_menu_actions.h"
#include "core/shell/program_state.h"
#include "core/shell/shell_state.h"
#include "core/shell/startup.h"
#include "core/shell/working_folder.h"

namespace quilto {
namespace {

constexpr int kLeft = 35;
constexpr int kTop = 10;
constexpr int kWidth = 245;

constexpr unsigned int kLogoColor = 0xE30000;  // blue
constexpr unsigned int kLogoBusyColor = 0x808080;
constexpr unsigned int kCaptionBusyColor = 255;  // red
constexpr unsigned int kCaptionColor = 0;
constexpr QSize kButtonSize{0, 30};

void SetCaptionColor(QPushButton* button, unsigned int bgr) {
    QPalette palette = button->palette();
    palette.setColor(QPalette::ButtonText, FromBgr(bgr));
    button->setPalette(palette);
}

QAction* MakeAction(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

}  // namespace

TFormMenu1::TFormMenu1(ProgramState& program, QWidget* parent)
    // No system menu and so no close box: the menu closes with its exit button, "終了(&X)" or
    // Esc.
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      program_(program),
      openUrl_([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    setObjectName("FormMenu1");
    setWindowTitle(MainMenuCaption({}, {}));
    program_.shell.customerHistory.clear();
    program_.shell.titleHistory.clear();

    auto* central = new QWidget(this);
    central->setObjectName("MenuPanel");
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(8, 8, 8, 6);
    layout->setSpacing(8);
    layout->addWidget(BuildLogo());

    auto* mainPanel = new QGroupBox(QStringLiteral("メインメニュー"), central);
    mainPanel->setObjectName("MainPanel");
    auto* mainLayout = new QVBoxLayout(mainPanel);
    mainLayout->setSpacing(4);
    newBtn_ = MakeButton("NewBtn", "新規作成", mainPanel,
                         {.minimum = kButtonSize, .hint = "新規に見積書を作成します。"});
    custBtn_ =
        MakeButton("CustBtn", "既存参照作成", mainPanel,
                   {.minimum = kButtonSize, .hint = "既存見積の内容を元に新規に作成します。"});
    chgBtn_ = MakeButton("ChgBtn", "呼び出し", mainPanel,
                         {.minimum = kButtonSize, .hint = "既存見積の内容を変更します。"});
    delBtn_ = MakeButton("DelBtn", "削    除", mainPanel,
                         {.minimum = kButtonSize, .hint = "既存見積を削除します。"});
    exitBtn_ = MakeButton("ExitBtn", "終    了", mainPanel,
                          {.minimum = kButtonSize, .hint = "見積作成を終了します。"});
    auto* separator = new QFrame(mainPanel);
    separator->setObjectName("Bevel1");
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    for (QWidget* widget : {static_cast<QWidget*>(newBtn_), static_cast<QWidget*>(custBtn_),
                            static_cast<QWidget*>(chgBtn_), static_cast<QWidget*>(delBtn_),
                            static_cast<QWidget*>(separator), static_cast<QWidget*>(exitBtn_)}) {
        mainLayout->addWidget(widget);
    }
    layout->addWidget(mainPanel);

    auto* toolPanel = new QGroupBox(central);
    toolPanel->setObjectName("ToolPanel");
    auto* toolLayout = new QVBoxLayout(toolPanel);
    toolLayout->setSpacing(4);
    exlBtn1_ = MakeButton("ExlBtn1", "エクセル/印刷", toolPanel,
                          {.minimum = kButtonSize, .hint = "エクセルの表に出力します。"});
    exlBtn2_ =
        MakeButton("ExlBtn2", "エクセル表定義/編集", toolPanel,
                   {.minimum = kButtonSize, .hint = "表定義及びエクセル表の編集を行います。"});
    setBtn2_ = MakeButton("SetBtn2", "環境設定", toolPanel,
                          {.minimum = kButtonSize, .hint = "会社情報・その他 を設定します。"});
    syoBtn1_ = MakeButton("SyoBtn1", "名称登録", toolPanel,
                          {.minimum = kButtonSize, .hint = "工事・商品・単位名を登録します。"});
    bupBtn3_ = MakeButton("BupBtn3", "バックアップ", toolPanel,
                          {.minimum = kButtonSize, .hint = "データの退避・復元をします。"});
    for (QPushButton* button : {exlBtn1_, exlBtn2_, setBtn2_, syoBtn1_, bupBtn3_}) {
        toolLayout->addWidget(button);
    }
    layout->addWidget(toolPanel);

    menTitle10_ = new QLabel(QStringLiteral("Quilto 見積作成  (問合せ)"), central);
    menTitle10_->setObjectName("MenTitle10");
    menTitle10_->setToolTip(QStringLiteral("(問合せ) クリックで情報表示します。"));
    menTitle10_->setAlignment(Qt::AlignCenter);
    menTitle10_->setCursor(Qt::PointingHandCursor);
    menTitle10_->installEventFilter(this);
    layout->addWidget(menTitle10_);
    setCentralWidget(central);

    // The forms behind these buttons come with later work: they stay visible, disabled.
    for (QPushButton* button : {newBtn_, exlBtn2_, setBtn2_, syoBtn1_, bupBtn3_}) {
        button->setEnabled(false);
    }

    connect(newBtn_, &QPushButton::clicked, this, [this] {
        program_.shell.entryMode = EntryMode::kNew;
        OpenEditor();
    });
    connect(custBtn_, &QPushButton::clicked, this,
            [this] { ShowEstimateList(custBtn_, EntryMode::kCopy); });
    connect(chgBtn_, &QPushButton::clicked, this,
            [this] { ShowEstimateList(chgBtn_, EntryMode::kCallUp); });
    connect(delBtn_, &QPushButton::clicked, this,
            [this] { ShowEstimateList(delBtn_, EntryMode::kDelete); });
    connect(exlBtn1_, &QPushButton::clicked, this,
            [this] { ShowEstimateList(exlBtn1_, EntryMode::kOutput); });
    connect(exlBtn2_, &QPushButton::clicked, this, [this] {
        ShowTool([this] {
            if (formMXls1_) formMXls1_->exec();
        });
    });
    connect(setBtn2_, &QPushButton::clicked, this, [this] { ShowTool(runSettings_); });
    connect(bupBtn3_, &QPushButton::clicked, this, [this] {
        ShowTool([this] {
            if (formMBup1_) formMBup1_->exec();
        });
    });
    connect(syoBtn1_, &QPushButton::clicked, this, [this] {
        if (openRegistration_) openRegistration_();
    });
    connect(exitBtn_, &QPushButton::clicked, this, [this] {
        program_.shell.entryMode = EntryMode::kExit;
        close();
    });

    timer1_ = new QTimer(this);
    timer1_->setObjectName("Timer1");
    connect(timer1_, &QTimer::timeout, this, [this] {
        timer1_->stop();
        if (formAbout_) formAbout_->close();
    });

    BuildMenuBar();

    setFixedWidth(kWidth);
    adjustSize();
    setFixedHeight(sizeHint().height());
    PlaceOnScreen(this, {kLeft, kTop});
}

QWidget* TFormMenu1::BuildLogo() {
    auto* logo = new QWidget;
    logo->setObjectName("LogoPanel");
    logo->setFixedHeight(72);
    auto* grid = new QGridLayout(logo);
    grid->setContentsMargins(0, 0, 0, 0);
    shape1_ = new ShapeWidget(ShapeWidget::Shape::kEllipse, logo);
    shape1_->setObjectName("Shape1");
    shape1_->SetBrushColor(FromBgr(kLogoColor));
    grid->addWidget(shape1_, 0, 0, 2, 1);

    auto* title1 = new QLabel(QStringLiteral("QuiltoⅡ "), logo);
    title1->setObjectName("MenTitle1");
    QFont big = title1->font();
    big.setPointSize(big.pointSize() + 9);
    big.setBold(true);
    big.setItalic(true);
    title1->setFont(big);
    auto* title2 = new QLabel(QStringLiteral("for Linux "), logo);
    title2->setObjectName("MenTitle2");
    for (QLabel* title : {title1, title2}) {
        title->setAlignment(Qt::AlignCenter);
        title->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
        title->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    grid->addWidget(title1, 0, 0, Qt::AlignHCenter | Qt::AlignBottom);
    grid->addWidget(title2, 1, 0, Qt::AlignHCenter | Qt::AlignTop);
    return logo;
}

void TFormMenu1::BuildMenuBar() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    bar->setNativeMenuBar(false);
    // The three menus share the narrow window's width without folding into "»".
    QFont small = bar->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    bar->setFont(small);
    bar->setStyleSheet(QStringLiteral("QMenuBar::item { padding: 2px 3px; }"));

    QMenu* file = bar->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName("File1");
    connect(MakeAction(file, "Exit1", QStringLiteral("終了(&X)")), &QAction::triggered, this,
            [this] {
                program_.shell.entryMode = EntryMode::kExit;
                close();
            });

    QMenu* settings = bar->addMenu(QStringLiteral("設定他(&S)"));
    settings->setObjectName("Settings1");
    connect(MakeAction(settings, "FIDdel1", QStringLiteral("不要ファイル削除(&F)")),
            &QAction::triggered, this, &TFormMenu1::DeleteLeftovers);
    folderChange_ =
        MakeAction(settings, "FolderChange1", QStringLiteral("作業フォルダの変更(&W)..."));
    folderChange_->setEnabled(false);
    connect(folderChange_, &QAction::triggered, this, &TFormMenu1::ChangeFolder);

    QMenu* help = bar->addMenu(QStringLiteral("ヘルプ・情報(&H)"));
    help->setObjectName("Help1");
    connect(MakeAction(help, "About1", QStringLiteral("バージョン情報(&A)")), &QAction::triggered,
            this, [this] { ShowVersionWindow(kVersionWindowMilliseconds); });
    connect(MakeAction(help, "MManual1", QStringLiteral("マニュアル(&M)")), &QAction::triggered,
            this, &TFormMenu1::OpenManual);
    help->addSeparator();
}

void TFormMenu1::SetForms(TFormAbout* formAbout, TFormMenu2* formMenu2) {
    formAbout_ = formAbout;
    formMenu2_ = formMenu2;
}

void TFormMenu1::SetTableDefinitionForm(TFormMXls1* formMXls1) {
    formMXls1_ = formMXls1;
    exlBtn2_->setEnabled(formMXls1 != nullptr);
}

void TFormMenu1::SetSettingsForms(std::function<void()> runSettings, QDialog* formMBup1) {
    runSettings_ = std::move(runSettings);
    formMBup1_ = formMBup1;
    setBtn2_->setEnabled(static_cast<bool>(runSettings_));
    bupBtn3_->setEnabled(formMBup1_ != nullptr);
}

void TFormMenu1::SetEditorOpener(std::function<void()> openEditor) {
    openEditor_ = std::move(openEditor);
    newBtn_->setEnabled(static_cast<bool>(openEditor_));
}

void TFormMenu1::SetRegistrationOpener(std::function<void()> openRegistration) {
    openRegistration_ = std::move(openRegistration);
    syoBtn1_->setEnabled(static_cast<bool>(openRegistration_));
}

void TFormMenu1::SetUrlOpener(std::function<bool(const QUrl&)> openUrl) {
    openUrl_ = std::move(openUrl);
}

void TFormMenu1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (startUpQueued_) return;
    startUpQueued_ = true;
    shape1_->SetBrushColor(FromBgr(kLogoColor));
    (newBtn_->isEnabled() ? newBtn_ : custBtn_)->setFocus();
    // The start-up may ask and tell: it runs once the window is up to carry its messages.
    QTimer::singleShot(0, this, &TFormMenu1::RunStartUpOnce);
}

void TFormMenu1::RunStartUpOnce() {
    startUpResult_ = RunStartUp(program_);
    startedUp_ = true;
    if (startUpResult_ != StartUpCheckResult::kOk) {
        close();
        return;
    }
    if (formMenu2_) formMenu2_->ShowDataFolder();
    QTimer::singleShot(0, this, &TFormMenu1::OfferRecovery);
}

void TFormMenu1::OfferRecovery() {
    for (const RecoveryRecord& record : UnclaimedSnapshots(QDir::currentPath())) {
        if (!NewerThanStored(record, program_.environment)) continue;
        // Held by another running copy (a marker a crash left behind is taken over).
        Markers& markers = program_.markers;
        bool held = false;
        if (!record.newEstimate) {
            held = markers.HoldEstimateMarker(record.number) != MarkerHold::kDone ||
                   markers.EstimateState() != MarkerState::kHeld;
            if (!held) markers.ReleaseEstimateMarker(record.number);
            markers.ClearEstimateInUse();
        }
        if (!RecoveryController::Ask(program_.questions, record, held)) continue;
        program_.shell.recoverySnapshot = record.snapshotPath.toStdString();
        program_.shell.entryMode = record.newEstimate ? EntryMode::kNew : EntryMode::kCallUp;
        program_.shell.selectedNumber = record.newEstimate ? std::string() : record.number;
        OpenEditor();
        return;  // the others are offered again at the next start
    }
}

void TFormMenu1::closeEvent(QCloseEvent* event) {
    timer1_->stop();
    if (formAbout_) formAbout_->close();
    event->accept();
    emit ProgramEnded();
}

bool TFormMenu1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == menTitle10_ && event->type() == QEvent::MouseButtonRelease) {
        ShowVersionWindow(kVersionWindowMilliseconds);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMenu1::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TFormMenu1::ShowEstimateList(QPushButton* button, EntryMode entryMode) {
    program_.shell.entryMode = entryMode;
    if (!formMenu2_) return;
    shape1_->SetBrushColor(FromBgr(kLogoBusyColor));
    SetCaptionColor(button, kCaptionBusyColor);
    formMenu2_->exec();
    SetCaptionColor(button, kCaptionColor);
    shape1_->SetBrushColor(FromBgr(kLogoColor));
    if (entryMode == EntryMode::kDelete) return;
    if (!Trimmed(program_.shell.selectedNumber).empty()) OpenEditor();
}

void TFormMenu1::ShowTool(const std::function<void()>& show) {
    if (!show) return;
    shape1_->SetBrushColor(FromBgr(kLogoBusyColor));
    show();
    shape1_->SetBrushColor(FromBgr(kLogoColor));
}

void TFormMenu1::OpenEditor() {
    if (!openEditor_) return;
    openEditor_();
    show();
}

void TFormMenu1::DeleteLeftovers() { DeleteLeftoverMarkersAsked(program_); }

void TFormMenu1::SetWorkingFolder(const QString& folder, const QString& configFile,
                                  const QString& skeleton) {
    workingFolder_ = folder;
    configFile_ = configFile;
    skeleton_ = skeleton;
    setWindowTitle(MainMenuCaption(folder, QDir::homePath()));
    folderChange_->setEnabled(!folder.isEmpty());
}

void TFormMenu1::ChangeFolder() {
    const std::optional<QString> chosen =
        ChangeWorkingFolder(workingFolder_, configFile_, skeleton_, program_.questions);
    if (!chosen || !QDir::setCurrent(*chosen)) return;
    SetWorkingFolder(*chosen, configFile_, skeleton_);
    // Everything the run holds came from the old folder: it starts again in the new one.
    startUpResult_ = RunStartUp(program_);
    if (startUpResult_ != StartUpCheckResult::kOk) {
        close();
        return;
    }
    if (formMenu2_) formMenu2_->ShowDataFolder();
}

void TFormMenu1::SetProgramFolder(const QString& folder) { programFolder_ = folder; }

void TFormMenu1::OpenManual() {
    const QString manual = ManualPath(
        programFolder_.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder_);
    if (!QFileInfo(manual).isFile()) {
        program_.questions.Inform(ManualErrorMessage(manual));
    } else if (!openUrl_(QUrl::fromLocalFile(manual))) {
        // The manual is there: what is missing is what opens it.
        TellOpeningFailed(program_.questions, ManualErrorMessage(manual), manual, openUrl_);
    }
}

void TFormMenu1::ShowVersionWindow(int interval) {
    if (!formAbout_) return;
    formAbout_->show();
    formAbout_->raise();
    timer1_->setInterval(VersionWindowInterval(interval));
    timer1_->start();
}

}  // namespace quilto
