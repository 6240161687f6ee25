#include "app/excel/form_mxls2.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QUrl>
#include <QVBoxLayout>

#include "app/excel/output_preview.h"
#include "app/excel/output_runner.h"
#include "app/excel/pattern_combo.h"
#include "app/foundation/form_button.h"
#include "app/foundation/opening_failure.h"
#include "app/foundation/screen_fit.h"
#include "app/foundation/status_panels.h"
#include "core/excel/office_service.h"
#include "core/excel/printers.h"
#include "core/foundation/cp932.h"
#include "core/foundation/era_date.h"
#include "core/foundation/typed_text.h"
#include "core/output/issued_handover.h"
#include "core/output/output_dialog.h"
#include "core/output/output_run.h"
#include "core/shell/program_state.h"
#include "core/shell/working_folder.h"

namespace quilto {
namespace {

constexpr QSize kButtonSize{120, 34};
constexpr int kPrintDateLength = 22;
constexpr int kDocumentNumberLength = 15;

QCheckBox* MakeCheck(const char* name, const char* caption, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

void SetListColour(QListWidget* list, const QColor& colour) {
    QPalette palette = list->palette();
    palette.setColor(QPalette::Base, colour);
    list->setPalette(palette);
}

}  // namespace

TFormMXls2::TFormMXls2(ProgramState& program, PrinterSource& printers, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      program_(program),
      printers_(printers),
      runner_(new OutputRunner(this)),
      office_(std::make_unique<OfficeService>()),
      preview_(std::make_unique<OutputPreview>(program, UserConfigFile())),
      openUrl_([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    setObjectName("FormMXls2");
    setWindowTitle(QStringLiteral("EXCEL出力"));
    setModal(true);

    pTitle1_ = new QLabel(QStringLiteral("EXCEL帳票出力"), this);
    pTitle1_->setObjectName("PTitle1");
    pTitle1_->setAlignment(Qt::AlignCenter);
    pTitle1_->setFrameShape(QFrame::Panel);
    pTitle1_->setFrameShadow(QFrame::Raised);
    pTitle1_->setMinimumSize(220, 40);
    QFont titleFont = pTitle1_->font();
    titleFont.setPointSize(titleFont.pointSize() + 4);
    titleFont.setBold(true);
    pTitle1_->setFont(titleFont);

    auto* patternGroup = new QGroupBox(QStringLiteral("< 表選択 >"), this);
    cbListMS_ = new PatternCombo(patternGroup);
    (new QHBoxLayout(patternGroup))->addWidget(cbListMS_);
    cbListMS_->installEventFilter(this);

    prnInfo_ = new QLabel(this);
    prnInfo_->setObjectName("Prn_info");

    // The button panel, hidden while an output runs.
    panelB1_ = new QWidget(this);
    panelB1_->setObjectName("PanelB1");
    xOutBtn_ = MakeButton("XOutBTN", "表出力", panelB1_,
                          {.minimum = kButtonSize, .hint = "エクセル表に見積書を出力します。"});
    xPrnBtn_ =
        MakeButton("XPrnBtn", "印 刷", panelB1_,
                   {.minimum = kButtonSize, .hint = "見積書を通常使うプリンターに印刷します。"});
    previewBtn_ =
        MakeButton("PreviewBtn", "プレビュー", panelB1_,
                   {.minimum = kButtonSize,
                    .hint = "印刷する頁を PDF にして表示します。印刷、PDF保存、メール送信も"
                            "ここからできます。"});
    auto* pSetupBtn =
        MakeButton("PSetupBTN", "プリンタ設定", panelB1_,
                   {.minimum = kButtonSize, .hint = "印刷用（通常使うプリンタの設定）"});
    xSetBtn_ = MakeButton("XSetBTN", "表定義", panelB1_,
                          {.minimum = kButtonSize, .hint = "エクセル表設定"});
    auto* escBtn = MakeButton("EscBTN", "閉じる", panelB1_, {.minimum = kButtonSize});
    auto* buttons = new QVBoxLayout(panelB1_);
    buttons->setContentsMargins(0, 0, 0, 0);
    for (QPushButton* button : {xOutBtn_, xPrnBtn_, previewBtn_, pSetupBtn, xSetBtn_})
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(escBtn);
    connect(xOutBtn_, &QPushButton::clicked, this, [this] { Run(OutputTarget::kWorkbook); });
    connect(xPrnBtn_, &QPushButton::clicked, this, [this] { Run(OutputTarget::kPrint); });
    connect(previewBtn_, &QPushButton::clicked, this, [this] { Run(OutputTarget::kPdf); });
    connect(pSetupBtn, &QPushButton::clicked, this, &TFormMXls2::SetUpPrinter);
    connect(xSetBtn_, &QPushButton::clicked, this, &TFormMXls2::EditTableDefinitions);
    connect(escBtn, &QPushButton::clicked, this, &TFormMXls2::reject);

    hyoji_ = new QLabel(this);
    hyoji_->setObjectName("Hyoji");
    hyoji_->setFrameShape(QFrame::Panel);
    hyoji_->setFrameShadow(QFrame::Sunken);
    hyoji_->setMinimumHeight(28);
    hyoji_->setWordWrap(true);

    const StatusPanels status = MakeStatusPanels(this, {{{180}, {180}, {180}}});
    statusPanels_ = status.panels;

    auto* top = new QHBoxLayout;
    top->addWidget(pTitle1_);
    top->addWidget(patternGroup);
    top->addStretch(1);
    auto* middle = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(BuildChoices(), 1);
    left->addWidget(BuildProgress());
    left->addWidget(hyoji_);
    middle->addLayout(left, 1);
    middle->addWidget(panelB1_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 0);
    layout->addLayout(top);
    layout->addWidget(prnInfo_);
    layout->addLayout(middle, 1);
    layout->addWidget(status.bar);

    connect(runner_, &OutputRunner::Began, this, [this](int pages, int lines) {
        progressBar1_->setRange(0, pages);
        progressBar1_->setValue(0);
        statusPanels_[0]->setText(QStringLiteral(" 総頁数 = %1").arg(pages));
        if (lines >= 0) statusPanels_[1]->setText(QStringLiteral(" 総行数 = %1").arg(lines));
    });
    connect(runner_, &OutputRunner::PageReached, progressBar1_, &QProgressBar::setValue);
    connect(runner_, &OutputRunner::StatusChanged, hyoji_, &QLabel::setText);
    resize(900, 640);
}

TFormMXls2::~TFormMXls2() = default;

QWidget* TFormMXls2::BuildChoices() {
    groupBox2_ = new QGroupBox(this);
    groupBox2_->setObjectName("GroupBox2");

    auto* sheets = new QGroupBox(QStringLiteral("< 見積書印刷 >"), groupBox2_);
    checkH_ = MakeCheck("Check_H", "表  紙", sheets);
    check3_ = MakeCheck("Check_3", "総括書", sheets);
    check1_ = MakeCheck("Check_1", "内訳書", sheets);
    checkItemised_ = MakeCheck("Check_itemised", "材料費等内訳書", sheets);
    checkItemised_->setToolTip(
        QStringLiteral("工種ごとの材料費・労務費・法定福利費・安全衛生経費・建退共掛金・"
                       "その他経費と作業日数の表を加えます"));
    checkGen_ = MakeCheck("Check_gen", "原価印刷", sheets);
    auto* sheetsLayout = new QVBoxLayout(sheets);
    for (QCheckBox* box : {checkH_, check3_, check1_, checkItemised_}) {
        // Each box as wide as its caption, so that a click beside a short one misses it.
        sheetsLayout->addWidget(box, 0, Qt::AlignLeft);
        connect(box, &QCheckBox::clicked, this, [this] { ApplyRule(StandardBoxReleased); });
    }
    sheetsLayout->addSpacing(12);
    sheetsLayout->addWidget(checkGen_, 0, Qt::AlignLeft);
    sheetsLayout->addStretch(1);

    auto* details = new QGroupBox(QStringLiteral("< 見積明細書 >"), groupBox2_);
    auto* header = new QLabel(QStringLiteral("工  事  選  択"), details);
    header->setAlignment(Qt::AlignCenter);
    header->setFrameShape(QFrame::Panel);
    header->setFrameShadow(QFrame::Raised);
    listBox1_ = new QListWidget(details);
    listBox1_->setObjectName("ListBox1");
    listBox1_->setSelectionMode(QAbstractItemView::MultiSelection);
    auto* allOn = MakeButton("AllOn", "全選択", details, {.minimum = kButtonSize});
    auto* allOff = MakeButton("AllOff", "全解除", details, {.minimum = kButtonSize});
    allOn->setMinimumSize(90, 28);
    allOff->setMinimumSize(90, 28);
    connect(allOn, &QPushButton::clicked, listBox1_, &QListWidget::selectAll);
    connect(allOff, &QPushButton::clicked, listBox1_, &QListWidget::clearSelection);
    auto* detailsLayout = new QGridLayout(details);
    detailsLayout->addWidget(header, 0, 0, 1, 2);
    detailsLayout->addWidget(listBox1_, 1, 0, 1, 2);
    detailsLayout->addWidget(allOn, 2, 0);
    detailsLayout->addWidget(allOff, 2, 1);

    freeFormGroup_ =
        new QGroupBox(QStringLiteral("< かがみ付フリー印刷 > (請求書等用)"), groupBox2_);
    freeFormGroup_->setObjectName("GroupBox4");
    checkSei_ = MakeCheck("Check_sei", "かがみ付フリー印刷", freeFormGroup_);
    sources_ = new QButtonGroup(freeFormGroup_);
    const struct {
        const char* name;
        const char* caption;
        FreeFormSource source;
    } radios[] = {{"RadioButton1", "総括書", FreeFormSource::kSummary},
                  {"RadioButton2", "内訳書", FreeFormSource::kBreakdown},
                  {"RadioButton3", "明細書（一括印刷）", FreeFormSource::kDetails}};
    auto* freeLayout = new QVBoxLayout(freeFormGroup_);
    freeLayout->addWidget(checkSei_);
    for (const auto& radio : radios) {
        auto* button = new QRadioButton(QString::fromUtf8(radio.caption), freeFormGroup_);
        button->setObjectName(QString::fromLatin1(radio.name));
        sources_->addButton(button, static_cast<int>(radio.source));
        radioButtons_.push_back(button);
        freeLayout->addWidget(button);
        const FreeFormSource source = radio.source;
        connect(button, &QRadioButton::clicked, this, [this, source] {
            ApplyRule(
                [source](OutputDialogChecks& checks) { FreeFormSourceReleased(checks, source); });
        });
    }
    chkKtype_ = MakeCheck("Chk_ktype", "データ行内の～計を\n優先使用する。", freeFormGroup_);
    freeLayout->addWidget(chkKtype_);
    for (QCheckBox* box : {checkSei_, chkKtype_}) {
        connect(box, &QCheckBox::clicked, this, [this] { ApplyRule(FreeFormBoxReleased); });
    }

    // 印 刷 日 and 運用番号: the values of the last free-form run of this estimate.
    numbersGroup_ = new QWidget(freeFormGroup_);
    numbersGroup_->setObjectName("Panel2");
    panel3_ = new QLabel(QStringLiteral("印 刷 日"), numbersGroup_);
    panel3_->setObjectName("Panel3");
    panel3_->setToolTip(QStringLiteral("ここをクリックすると本日が設定されます。(請求日等用)"));
    panel3_->setFrameShape(QFrame::Panel);
    panel3_->setFrameShadow(QFrame::Raised);
    panel3_->setCursor(Qt::PointingHandCursor);
    panel3_->installEventFilter(this);
    eYMD4_ = new QLineEdit(numbersGroup_);
    eYMD4_->setObjectName("EYMD4");
    eYMD4_->setMaxLength(kPrintDateLength);
    auto* numberLabel = new QLabel(QStringLiteral("運用番号"), numbersGroup_);
    eSeiNo_ = new QLineEdit(numbersGroup_);
    eSeiNo_->setObjectName("ESeiNo");
    eSeiNo_->setMaxLength(kDocumentNumberLength);
    eSeiNo_->setToolTip(QStringLiteral("請求番号等に使用。"));
    auto* numbersLayout = new QGridLayout(numbersGroup_);
    numbersLayout->setContentsMargins(0, 8, 0, 0);
    numbersLayout->addWidget(panel3_, 0, 0);
    numbersLayout->addWidget(eYMD4_, 0, 1);
    numbersLayout->addWidget(numberLabel, 1, 0);
    numbersLayout->addWidget(eSeiNo_, 1, 1);
    freeLayout->addWidget(numbersGroup_);
    freeLayout->addStretch(1);

    auto* layout = new QHBoxLayout(groupBox2_);
    layout->addWidget(sheets);
    layout->addWidget(details, 1);
    layout->addWidget(freeFormGroup_);
    return groupBox2_;
}

QWidget* TFormMXls2::BuildProgress() {
    stepInfo_ = new QGroupBox(QStringLiteral("< 進行状況 >"), this);
    stepInfo_->setObjectName("StepInfo");
    progressBar1_ = new QProgressBar(stepInfo_);
    progressBar1_->setObjectName("ProgressBar1");
    progressBar1_->setRange(0, 0);
    progressBar1_->setValue(0);
    canBtn_ = MakeButton("CanBtn", "キャンセル", stepInfo_, {.minimum = kButtonSize});
    connect(canBtn_, &QPushButton::clicked, runner_, &OutputRunner::Cancel);
    auto* layout = new QHBoxLayout(stepInfo_);
    layout->addWidget(progressBar1_, 1);
    layout->addWidget(canBtn_);
    return stepInfo_;
}

void TFormMXls2::SetDialogs(QDialog* tableDefinitions, QDialog* printerSetup) {
    tableDefinitions_ = tableDefinitions;
    printerSetup_ = printerSetup;
}

void TFormMXls2::SetDefinitionsChanged(std::function<void()> changed) {
    definitionsChanged_ = std::move(changed);
}

void TFormMXls2::SetUrlOpener(std::function<bool(const QUrl&)> openUrl) {
    openUrl_ = std::move(openUrl);
}

bool TFormMXls2::Running() const { return runner_->Running(); }

void TFormMXls2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    PlaceOnScreen(this, pos());
    // LibreOffice gets ready for a preview while the user makes the choices.
    office_->Start();
    runner_->ClearCancel();
    for (QLabel* panel : statusPanels_) panel->clear();
    ReadEnvironment(program_.environment);
    program_.tables.Load("00");
    ShowPrinter();
    cbListMS_->Fill(program_.environment);
    cbListMS_->SelectPattern(InitialOutputPattern(program_.document, cbListMS_->count()));
    eSeiNo_->setText(Cp932ToQStringLossy(program_.document.Text(HeaderText::MBiko10)));
    eYMD4_->setText(Cp932ToQStringLossy(program_.document.Text(HeaderText::MYMD4)));
    pTitle1_->setText(QString::fromStdString(OutputDialogTitle(lastTarget_)));
    pTitle1_->setToolTip(QString());
    if (lastTarget_ == OutputTarget::kPrint) xPrnBtn_->setText(QStringLiteral("印  刷"));
    xSetBtn_->setVisible(true);
    canBtn_->setVisible(true);
    ShowFreeFormAvailability();
    Activate();
}

// The construction list, the default ticks and an empty message panel, each time the
// dialog is shown.
void TFormMXls2::Activate() {
    constructions_ = ListConstructions(program_.document);
    listBox1_->clear();
    for (const ConstructionEntry& entry : constructions_) {
        listBox1_->addItem(Cp932ToQStringLossy(entry.name));
    }
    ShowChecks(DefaultOutputChecks(program_.document));
    hyoji_->clear();
    if (!activated_) {
        activated_ = true;
        stepInfo_->setVisible(false);
        progressBar1_->setRange(0, 0);
        progressBar1_->setValue(0);
    }
    xOutBtn_->setFocus();
}

void TFormMXls2::ShowPrinter() {
    prnInfo_->setText(QString::fromStdString(PrinterInfoText(printers_.DefaultPrinter())));
}

void TFormMXls2::ShowFreeFormAvailability() {
    const bool available = FreeFormAvailable();
    freeFormGroup_->setEnabled(available);
    checkSei_->setEnabled(available);
    for (QRadioButton* button : radioButtons_) button->setEnabled(available);
    numbersGroup_->setVisible(available);
}

OutputDialogChecks TFormMXls2::ReadChecks() const {
    OutputDialogChecks checks;
    checks.cover = checkH_->isChecked();
    checks.summary = check3_->isChecked();
    checks.breakdown = check1_->isChecked();
    checks.cost = checkGen_->isChecked();
    checks.itemised = checkItemised_->isChecked();
    checks.freeForm = checkSei_->isChecked();
    checks.linesTotals = chkKtype_->isChecked();
    checks.source = static_cast<FreeFormSource>(std::max(0, sources_->checkedId()));
    return checks;
}

void TFormMXls2::ShowChecks(const OutputDialogChecks& checks) {
    checkH_->setChecked(checks.cover);
    check3_->setChecked(checks.summary);
    check1_->setChecked(checks.breakdown);
    checkGen_->setChecked(checks.cost);
    checkItemised_->setChecked(checks.itemised);
    checkSei_->setChecked(checks.freeForm);
    chkKtype_->setChecked(checks.linesTotals);
    sources_->button(static_cast<int>(checks.source))->setChecked(true);
}

void TFormMXls2::ApplyRule(const std::function<void(OutputDialogChecks&)>& rule) {
    OutputDialogChecks checks = ReadChecks();
    rule(checks);
    ShowChecks(checks);
}

void TFormMXls2::Run(OutputTarget target) {
    if (Running()) return;
    if (target != OutputTarget::kPdf) lastTarget_ = target;
    Questions& questions = program_.questions;
    // The free-form output's number and date are typed text on their way into the estimate.
    TypedTextRefusal refusal;
    const std::optional<std::string> number = TypedTextToCp932(eSeiNo_->text(), &refusal);
    if (!number) {
        questions.Inform(
            TypedTextRefusalMessage(refusal, QStringLiteral("運用番号")).toStdString());
        return;
    }
    const std::optional<std::string> date = TypedTextToCp932(eYMD4_->text(), &refusal);
    if (!date) {
        questions.Inform(
            TypedTextRefusalMessage(refusal, QStringLiteral("印 刷 日")).toStdString());
        return;
    }
    // A preview hands nothing over: it is not asked for.
    if (target != OutputTarget::kPdf && !ConfirmOutput(questions, target)) return;

    const OutputDialogChecks checks = ReadChecks();
    const int pattern = cbListMS_->ChosenPattern();
    if (checks.freeForm) listBox1_->setCurrentItem(nullptr, QItemSelectionModel::NoUpdate);
    std::vector<bool> selected;
    for (int i = 0; i < listBox1_->count(); ++i)
        selected.push_back(listBox1_->item(i)->isSelected());
    OutputChoices choices =
        OutputChoicesOf(checks, target, pattern, SelectedConstructionRows(constructions_, selected),
                        *number, *date);
    if (target == OutputTarget::kPdf) {
        if (!previews_) previews_ = std::make_unique<QTemporaryDir>();
        choices.outputPath =
            previews_->filePath(QStringLiteral("preview-%1.pdf").arg(++previewCount_));
    }
    // A cover whose tax words contradict its figures is said before anything is written.
    if (!ConfirmTaxTick(questions, program_.document, choices)) return;
    if (!StoreFreeFormNumbers(program_.editor, program_.environment, choices, questions)) return;

    // A cancel from an earlier run of this showing does not stop this one.
    runner_->ClearCancel();
    SetRunning(true);
    cbListMS_->SelectPattern(pattern);
    OutputJob job = MakeOutputJob(program_.document, program_.environment, choices);
    job.office = office_.get();
    const OutputResult result = runner_->Run(job);
    SetRunning(false);
    cbListMS_->SelectPattern(pattern);
    if (target == OutputTarget::kPdf && result.status == OutputStatus::kDone) {
        if (!result.note.isEmpty()) questions.Inform(result.note.toStdString());
        ShowPreview(result.pdfPath, choices);
        return;
    }
    ReportOutput(result, questions, *runner_);
    // Pages printed went to a client: their PDF is kept in the issued-document archive.
    if (result.status == OutputStatus::kDone && target == OutputTarget::kPrint) {
        const ArchiveOutcome kept =
            HandOverIssuedPdf(program_.document, program_.environment, choices, result.pdfPath);
        if (kept.result != ArchiveResult::kArchived)
            questions.Inform(ArchiveFailureNote(kept).toStdString());
    }
    if (result.status == OutputStatus::kDone && target == OutputTarget::kWorkbook &&
        !openUrl_(QUrl::fromLocalFile(result.workbookPath))) {
        TellOpeningFailed(questions, kWorkbookOpenFailure, result.workbookPath, openUrl_);
    }
}

void TFormMXls2::ShowPreview(const QString& pdfPath, const OutputChoices& choices) {
    preview_->Show(pdfPath, choices, QString::fromStdString(printers_.DefaultPrinter()), this);
    hyoji_->clear();
}

void TFormMXls2::SetRunning(bool running) {
    panelB1_->setVisible(!running);
    stepInfo_->setVisible(running);
    groupBox2_->setEnabled(!running);
    cbListMS_->setEnabled(!running);
    // The table definitions stay out of reach until the dialog is shown again.
    if (running) xSetBtn_->setVisible(false);
    SetListColour(listBox1_, running ? QColor(192, 192, 192) : QColor(Qt::white));
    if (running) canBtn_->setFocus();
}

void TFormMXls2::EditTableDefinitions() {
    progressBar1_->setValue(0);
    hyoji_->clear();
    if (tableDefinitions_ == nullptr) return;
    tableDefinitions_->exec();
    program_.tables.Load("00");
    if (definitionsChanged_) definitionsChanged_();
}

void TFormMXls2::SetUpPrinter() {
    if (printerSetup_ != nullptr) printerSetup_->exec();
    ShowPrinter();
}

void TFormMXls2::keyPressEvent(QKeyEvent* event) {
    // Ctrl+F1 and Ctrl+F2, with no other modifier.
    if (event->modifiers() == Qt::ControlModifier && !Running()) {
        if (event->key() == Qt::Key_F1) {
            Run(OutputTarget::kWorkbook);
            return;
        }
        if (event->key() == Qt::Key_F2) {
            Run(OutputTarget::kPrint);
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void TFormMXls2::reject() {
    // Not while an output runs: its window must stay until the run has finished.
    if (!Running()) QDialog::reject();
}

void TFormMXls2::closeEvent(QCloseEvent* event) {
    if (Running()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

bool TFormMXls2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == panel3_ && event->type() == QEvent::MouseButtonRelease) {
        eYMD4_->setText(Cp932ToQStringLossy(TodayEraText()));
        return true;
    }
    if (watched == cbListMS_ && event->type() == QEvent::FocusOut) {
        cbListMS_->SelectPattern(cbListMS_->ChosenPattern());
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace quilto
