#include "app/excel/form_mxls1.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <span>

#include "app/excel/pattern_combo.h"
#include "app/excel/table_definition_pages.h"
#include "app/foundation/form_button.h"
#include "app/foundation/opening_failure.h"
#include "app/foundation/screen_fit.h"
#include "core/excel/pattern_choice.h"
#include "core/shell/program_state.h"

namespace quilto {
namespace {

constexpr QSize kButtonSize{104, 30};
constexpr int kCoverTab = 0;
// F12 walks the first four tabs; the free-form tabs are reached by mouse.
constexpr int kF12Tabs = 4;
constexpr int kAddressWidth = 64;
constexpr int kShortWidth = 40;

}  // namespace

TFormMXls1::TFormMXls1(ProgramState& program, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      program_(program),
      session_(program.tables),
      chooseFile_([this](const QString& caption, const QString& folder, const QString& filter) {
          return QFileDialog::getOpenFileName(this, caption, folder, filter);
      }),
      openUrl_([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    setObjectName("FormMXls1");
    setWindowTitle(QStringLiteral("EXCELセル設定"));
    setModal(true);

    auto* pTitle1 = new QLabel(QStringLiteral("EXCEL表定義"), this);
    pTitle1->setObjectName("PTitle1");
    pTitle1->setAlignment(Qt::AlignCenter);
    pTitle1->setFrameShape(QFrame::Panel);
    pTitle1->setFrameShadow(QFrame::Raised);
    pTitle1->setMinimumSize(180, 36);
    QFont titleFont = pTitle1->font();
    titleFont.setPointSize(titleFont.pointSize() + 4);
    titleFont.setBold(true);
    pTitle1->setFont(titleFont);

    auto* choice = new QGroupBox(QStringLiteral("< 表選択 >"), this);
    choice->setObjectName("GroupBox1");
    cbListMS_ = new PatternCombo(choice);
    (new QHBoxLayout(choice))->addWidget(cbListMS_);
    connect(cbListMS_, &QComboBox::activated, this, [this] { LoadChosenPattern(); });

    auto* edit1Label = new QLabel(QStringLiteral("セル番号(桁,行)"), this);
    edit1_ = new QLineEdit(this);
    edit1_->setObjectName("Edit1");
    edit1_->setReadOnly(true);
    edit1_->setFocusPolicy(Qt::NoFocus);
    edit1_->setFixedWidth(96);
    edit1Label->setBuddy(edit1_);

    saveBtn_ = MakeButton("SaveBTN", "保存", this, {.minimum = kButtonSize});
    auto* escBtn = MakeButton("EscBTN", "閉じる", this, {.minimum = kButtonSize});
    auto* setBtn =
        MakeButton("setBTN", "標  準", this, {.minimum = kButtonSize, .hint = "システム標準値"});
    auto* befBtn =
        MakeButton("BefBTN", "前回値", this, {.minimum = kButtonSize, .hint = "前回保存値"});
    auto* xlsBtn = MakeButton("XlsBtn", "エクセル表編集", this, {.minimum = kButtonSize});
    connect(saveBtn_, &QPushButton::clicked, this, &TFormMXls1::Save);
    connect(escBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(setBtn, &QPushButton::clicked, this, &TFormMXls1::PutStandardValues);
    connect(befBtn, &QPushButton::clicked, this, &TFormMXls1::RestorePrevious);
    connect(xlsBtn, &QPushButton::clicked, this, &TFormMXls1::EditTemplate);

    BuildFields();

    auto* top = new QHBoxLayout;
    top->setSpacing(12);
    top->addWidget(pTitle1);
    top->addWidget(choice);
    top->addWidget(edit1Label);
    top->addWidget(edit1_);
    top->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(xlsBtn);
    buttons->addStretch(1);
    for (QPushButton* button : {setBtn, befBtn, saveBtn_, escBtn}) buttons->addWidget(button);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    layout->addLayout(top);
    layout->addWidget(pageControl1_, 1);
    layout->addLayout(buttons);

    // The form sees keys before its fields and buttons.
    for (QWidget* child : findChildren<QWidget*>()) {
        if (child->focusPolicy() != Qt::NoFocus) child->installEventFilter(this);
    }
    resize(1040, 700);
}

void TFormMXls1::BuildFields() {
    fields_.assign(TableFields().size(), nullptr);
    const DefinitionPages pages =
        BuildDefinitionPages(this, [this](const char* name, QWidget* parent) {
            const int index = TableFieldIndex(name);
            Q_ASSERT(index >= 0);
            return MakeField(static_cast<std::size_t>(index), parent);
        });
    pageControl1_ = pages.pages;
    freePages_ = pages.freePages;
    Q_ASSERT(std::find(fields_.begin(), fields_.end(), nullptr) == fields_.end());
}

QLineEdit* TFormMXls1::MakeField(std::size_t index, QWidget* parent) {
    const TableField& definition = TableFields()[index];
    const TableInputKind kind = InputKindOf(definition);
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(definition.name));
    field->setMaxLength(InputMaxLength(kind));
    field->setFixedWidth(kind == TableInputKind::kAddress ? kAddressWidth : kShortWidth);
    if (kind == TableInputKind::kLines) {
        field->setAlignment(Qt::AlignRight);
        field->setToolTip(QStringLiteral("01～99"));
    }
    // Every typed letter goes in upper case, pasted ones too.
    connect(field, &QLineEdit::textEdited, field, [field](const QString& text) {
        const QString upper = UpperCaseTyped(text);
        if (upper == text) return;
        const int cursor = field->cursorPosition();
        field->setText(upper);
        field->setCursorPosition(cursor);
    });
    fields_[index] = field;
    return field;
}

void TFormMXls1::SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

void TFormMXls1::SetUrlOpener(std::function<bool(const QUrl&)> openUrl) {
    openUrl_ = std::move(openUrl);
}

QLineEdit* TFormMXls1::Field(const char* name) const {
    const int index = TableFieldIndex(name);
    return index < 0 ? nullptr : fields_[static_cast<std::size_t>(index)];
}

void TFormMXls1::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    PlaceOnScreen(this, pos());
    cbListMS_->Fill(program_.environment);
    cbListMS_->SelectPattern(0);
    loadedPattern_ = 0;
    session_.Load(0);
    ShowFields();
    findChild<QWidget*>(QStringLiteral("TaxPanel"))->setVisible(true);
    freePages_->setCurrentIndex(0);
    ShowCoverFirst();
}

void TFormMXls1::ShowFields() {
    const std::vector<QString> texts = ShownFieldTexts(session_.Fields());
    for (std::size_t i = 0; i < fields_.size(); ++i) fields_[i]->setText(texts[i]);
}

void TFormMXls1::ShowCoverFirst() {
    pageControl1_->setCurrentIndex(kCoverTab);
    Field("HName1")->setFocus();
}

void TFormMXls1::LoadChosenPattern() {
    const int pattern = cbListMS_->ChosenPattern();
    cbListMS_->SelectPattern(pattern);
    loadedPattern_ = pattern;
    session_.Load(pattern);
    ShowFields();
    ShowCoverFirst();
}

// Leaving the combo loads the pattern typed there; passing through it on the same pattern
// keeps what the fields hold.
void TFormMXls1::PatternLeft() {
    if (cbListMS_->ChosenPattern() != loadedPattern_) {
        LoadChosenPattern();
        return;
    }
    cbListMS_->SelectPattern(loadedPattern_);
}

void TFormMXls1::Save() {
    // The field being edited is taken as if it had been left.
    if (QWidget* focused = focusWidget()) {
        const std::size_t index = IndexOf(focused);
        if (index < fields_.size()) FieldLeft(index);
    }
    std::vector<QString> texts;
    texts.reserve(fields_.size());
    for (QLineEdit* field : fields_) texts.push_back(field->text());
    TypedTextRefusal refusal;
    std::size_t refused = 0;
    const std::optional<TableFieldTexts> fields = TypedFieldTexts(texts, &refusal, &refused);
    if (!fields) {
        QLineEdit* field = fields_[refused];
        const auto* label = findChild<QLabel*>(field->objectName() + QStringLiteral("Label"));
        program_.questions.Inform(
            TypedTextRefusalMessage(refusal, label ? label->text() : field->objectName())
                .toStdString());
        field->setFocus();
        return;
    }
    const int pattern = cbListMS_->ChosenPattern();
    loadedPattern_ = pattern;
    if (session_.Save(pattern, *fields) != TableFileResult::kOk) {
        // Nothing may fail in silence: the user learns which files were not written.
        const std::string code = PatternCodeOfIndex(pattern);
        program_.questions.Inform(
            (QStringLiteral("表定義を保存できませんでした。 (") +
             TableDefinitionFileName(TableFile::kStandard, code) + QStringLiteral(", ") +
             TableDefinitionFileName(TableFile::kFreeForm, code) + QStringLiteral(", ") +
             TableDefinitionFileName(TableFile::kInvoice, code) + QStringLiteral(")"))
                .toStdString());
    }
}

void TFormMXls1::PutStandardValues() {
    const std::span<const TableField> all = TableFields();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].standard != nullptr) fields_[i]->setText(QString::fromLatin1(all[i].standard));
    }
}

void TFormMXls1::RestorePrevious() {
    session_.RestorePrevious();
    ShowFields();
}

void TFormMXls1::EditTemplate() {
    const QString chosen =
        chooseFile_(QStringLiteral("基本エクセル表選択(Excel)"),
                    QDir::current().filePath(QStringLiteral("XlsBase")),
                    QStringLiteral("Excel files (*.xlsx *.XLSX *.xls *.Xls *.XLS)"));
    if (chosen.isEmpty()) return;
    const QString path = QFileInfo(chosen).absoluteFilePath();
    if (!openUrl_(QUrl::fromLocalFile(path)))
        TellOpeningFailed(program_.questions, kWorkbookOpenFailure, path, openUrl_);
}

std::size_t TFormMXls1::IndexOf(const QObject* widget) const {
    const auto found = std::find(fields_.begin(), fields_.end(), widget);
    return static_cast<std::size_t>(found - fields_.begin());
}

void TFormMXls1::FieldEntered(std::size_t index) {
    QLineEdit* field = fields_[index];
    switch (InputKindOf(TableFields()[index])) {
        case TableInputKind::kLines:
            edit1_->clear();
            break;
        case TableInputKind::kAddress: {
            const AddressFieldState state = EnteredAddressField(field->text());
            if (state.text != field->text()) field->setText(state.text);
            edit1_->setText(state.position);
            // After the click that brought the focus has placed the cursor.
            QTimer::singleShot(0, field, &QLineEdit::selectAll);
            break;
        }
        case TableInputKind::kSeparator:
            break;
    }
}

void TFormMXls1::FieldLeft(std::size_t index) {
    if (InputKindOf(TableFields()[index]) != TableInputKind::kAddress) return;
    QLineEdit* field = fields_[index];
    const AddressFieldState state = LeftAddressField(field->text());
    if (state.text != field->text()) field->setText(state.text);
    field->deselect();
    edit1_->setText(state.position);
}

bool TFormMXls1::HandleKey(QObject* watched, QKeyEvent* event) {
    const bool listOpen = cbListMS_->view()->isVisible();
    switch (event->key()) {
        case Qt::Key_Escape:
            if (listOpen) return false;
            reject();
            return true;
        case Qt::Key_F12: {
            const int tab = pageControl1_->currentIndex();
            if (tab < kF12Tabs) pageControl1_->setCurrentIndex((tab + 1) % kF12Tabs);
            return true;
        }
        case Qt::Key_F10:
            Save();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Down:
            if (listOpen) return false;
            focusNextChild();
            return true;
        case Qt::Key_Up:
            if (listOpen) return false;
            focusPreviousChild();
            return true;
        default:
            break;
    }
    const std::size_t index = IndexOf(watched);
    if (index < fields_.size() && InputKindOf(TableFields()[index]) == TableInputKind::kLines &&
        !event->text().isEmpty() && event->text().front().isPrint() &&
        !AcceptsLinesCharacter(event->text().front())) {
        return true;
    }
    return false;
}

bool TFormMXls1::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            if (HandleKey(watched, static_cast<QKeyEvent*>(event))) return true;
            break;
        case QEvent::FocusIn:
        case QEvent::FocusOut: {
            const std::size_t index = IndexOf(watched);
            if (index < fields_.size()) {
                if (event->type() == QEvent::FocusIn) {
                    FieldEntered(index);
                } else {
                    FieldLeft(index);
                }
            } else if (event->type() == QEvent::FocusOut &&
                       (watched == cbListMS_ || watched == cbListMS_->lineEdit()) &&
                       static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
                PatternLeft();
            }
            break;
        }
        default:
            break;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace quilto
