#include "app/masters/form_msyo.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/foundation/form_button.h"
#include "app/foundation/screen_fit.h"
#include "app/foundation/status_panels.h"
#include "app/foundation/typed_line_edit.h"
#include "app/masters/master_list_view.h"
#include "app/masters/master_widgets.h"
#include "core/foundation/cp932.h"
#include "core/foundation/file_helpers.h"
#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"
#include "core/masters/master_files.h"
#include "core/masters/product_import.h"
#include "core/masters/registration_rules.h"
#include "core/shell/program_state.h"
#include "core/shell/shell_state.h"

namespace quilto {
namespace {

const QColor kGreen(0, 128, 0);
const QColor kGrey(128, 128, 128);
const QColor kNavy(0, 0, 128);
const ButtonLook kButtonLook{.minimum = {0, 28}};

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }
QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

QLineEdit* MakeEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QLabel* FieldLabel(const char* caption, QWidget* parent) {
    auto* label = new QLabel(Text(caption), parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

bool IsBlank(const QLineEdit* edit) { return edit->text().trimmed().isEmpty(); }

}  // namespace

TypedLineEdit* TFormMSyo::MakeTextEdit(const char* name, int maxBytes, const QString& field,
                                       QWidget* parent) {
    auto* edit = new TypedLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->SetMaxBytes(maxBytes);
    edit->SetFieldName(field);
    edit->SetRefusalHandler(
        [this](const QString& message) { program_.questions.Inform(message.toStdString()); });
    return edit;
}

TFormMSyo::TFormMSyo(ProgramState& program, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      program_(program),
      registration_(program.masters, program.environment, program.markers),
      texts_(kKojiLabel) {
    setObjectName("FormMSyo");
    setWindowTitle(Text(kRegistrationCaption));
    setModal(true);
    chooseFile_ = [this](const QString& start) {
        return QFileDialog::getOpenFileName(this, Text(kImportDialogTitle), start,
                                            Text(kImportFilter) + QStringLiteral(";;*"));
    };

    auto* top = new QHBoxLayout;
    titlePanel_ = MakeMasterPanel("TitlePanel", this);
    QFont bold = titlePanel_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    titlePanel_->setFont(bold);
    titlePanel_->setFrameShadow(QFrame::Raised);
    titlePanel_->setMinimumHeight(34);
    button1_ = MakeButton("Button1", "閉じる", this, kButtonLook);
    button1_->setMinimumWidth(100);
    connect(button1_, &QPushButton::clicked, this, &QDialog::reject);
    top->addWidget(titlePanel_, 1);
    top->addWidget(button1_);

    auto* groups = new QHBoxLayout;
    groups->addWidget(BuildConstructionGroup());
    groups->addWidget(BuildProductGroup(), 1);

    const StatusPanels status = MakeStatusPanels(this, {{{250}, {250, Qt::AlignCenter}, {50}}});
    statusPanels_ = status.panels;

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addLayout(top);
    layout->addLayout(groups, 1);
    layout->addWidget(status.bar);
    BuildMenu();

    // Enter, Tab and the arrows move through the fields in this order.
    const std::array<QWidget*, 18> order = {
        kLb1_,   kNm1_,      kNew_,      kChg_,      kSav_, kDel_, sLb1_, edit2_, edit3_,
        cbUnit_, maskEdit1_, maskEdit2_, editBiko1_, sNew_, sChg_, sSav_, sDel_,  button1_};
    for (std::size_t i = 0; i + 1 < order.size(); ++i) setTabOrder(order[i], order[i + 1]);
    for (QWidget* widget : order) widget->installEventFilter(this);
    for (QWidget* widget : {static_cast<QWidget*>(cbUnit_->lineEdit()),
                            static_cast<QWidget*>(uSav_), static_cast<QWidget*>(uDel_)}) {
        widget->installEventFilter(this);
    }
    for (QWidget* widget : {static_cast<QWidget*>(edit2_), static_cast<QWidget*>(edit3_),
                            static_cast<QWidget*>(editBiko1_), static_cast<QWidget*>(unitEbl_)}) {
        widget->installEventFilter(this);
    }

    // Leaving the unit drop-down for anything but its two buttons closes unit editing.
    focusWatch_ =
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget* from, QWidget* to) {
            const auto inUnitEditing = [this](QWidget* widget) {
                return widget == cbUnit_ || widget == cbUnit_->lineEdit() || widget == uSav_ ||
                       widget == uDel_;
            };
            if (unitBtn_->isVisible() && inUnitEditing(from) && !inUnitEditing(to) &&
                to != nullptr) {
                ShowUnitButtons(false);
            }
        });

    resize(1010, 640);
}

// The focus moves while the widgets are destroyed: the watch must not outlive this part.
TFormMSyo::~TFormMSyo() { disconnect(focusWatch_); }

QWidget* TFormMSyo::BuildConstructionGroup() {
    auto* group = new QFrame(this);
    group->setObjectName("KojiGroup");
    group->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(group);
    kGroupCaption_ = new QLabel(group);
    kGroupCaption_->setObjectName("KojiGroupCaption");
    kListHeading_ = MakeMasterPanel("KojiListHeading", group);
    kLb1_ = new MasterListView("K_LB1", kGrey, kNavy, group);
    kLb1_->setMinimumWidth(2 * MasterListDelegate::kMargin +
                           kConstructionNameWidth * MasterListDelegate::kCellWidth + 24);
    connect(kLb1_, &MasterListView::Clicked, this, &TFormMSyo::SelectConstruction);
    connect(kLb1_, &MasterListView::KeyMoved, this, &TFormMSyo::SelectConstruction);
    kKensu_ = new QLabel(group);
    kKensu_->setObjectName("K_kensu");
    kKensu_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    kNameLabel_ = new QLabel(group);
    kNm1_ = MakeTextEdit("K_NM1", kConstructionNameFieldBytes, Text(texts_.nameLabel), group);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(kNameLabel_);
    nameRow->addWidget(kNm1_, 1);

    kNew_ = MakeButton("K_new", "新規", group, kButtonLook);
    kChg_ = MakeButton("K_chg", "訂正", group, kButtonLook);
    kSav_ = MakeButton("K_sav", "保存", group, kButtonLook);
    kDel_ = MakeButton("K_del", "削除", group, kButtonLook);
    connect(kNew_, &QPushButton::clicked, this, &TFormMSyo::NewConstruction);
    connect(kChg_, &QPushButton::clicked, this, &TFormMSyo::ChangeConstruction);
    connect(kSav_, &QPushButton::clicked, this, &TFormMSyo::SaveConstruction);
    connect(kDel_, &QPushButton::clicked, this, &TFormMSyo::DeleteConstruction);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {kNew_, kChg_, kSav_, kDel_}) buttons->addWidget(button);

    layout->addWidget(kGroupCaption_);
    layout->addWidget(kListHeading_);
    layout->addWidget(kLb1_, 1);
    layout->addWidget(kKensu_);
    layout->addLayout(nameRow);
    layout->addLayout(buttons);
    return group;
}

QWidget* TFormMSyo::BuildProductGroup() {
    auto* group = new QFrame(this);
    group->setObjectName("SyoGroup");
    group->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(group);
    auto* caption = new QLabel(QStringLiteral("< 商 品 >"), group);
    caption->setObjectName("SyoGroupCaption");
    hintPanel_ = MakeMasterPanel("HintPanel", group);
    QPalette hint = hintPanel_->palette();
    hint.setColor(QPalette::WindowText, QColor(Qt::red));
    hintPanel_->setPalette(hint);
    auto* captionRow = new QHBoxLayout;
    captionRow->addWidget(caption);
    captionRow->addStretch(1);
    captionRow->addWidget(hintPanel_);

    header_ = MakeListHeader(group);
    sLb1_ = new MasterListView("S_LB1", kGreen, kGrey, group);
    sLb1_->setMinimumWidth(2 * MasterListDelegate::kMargin + 63 * MasterListDelegate::kCellWidth +
                           24);
    connect(sLb1_, &MasterListView::Clicked, this, &TFormMSyo::SelectProduct);
    connect(sLb1_, &MasterListView::KeyMoved, this, &TFormMSyo::SelectProduct);
    sKensu_ = new QLabel(group);
    sKensu_->setObjectName("S_kensu");
    sKensu_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    edit1_ = MakeEdit("Edit1", group);
    edit1_->setReadOnly(true);
    edit1_->setMaxLength(kProductCodeWidth);
    edit1_->setToolTip(QStringLiteral("コードは自動設定です。"));
    edit1_->hide();
    edit2_ = MakeTextEdit("Edit2", kProductNameFieldBytes, QStringLiteral("商品名"), group);
    edit3_ = MakeTextEdit("Edit3", kSpecificationFieldBytes, QStringLiteral("規格"), group);
    maskEdit1_ = MakeEdit("MaskEdit1", group);
    maskEdit2_ = MakeEdit("MaskEdit2", group);
    for (QLineEdit* price : {maskEdit1_, maskEdit2_}) {
        price->setMaxLength(kPriceFieldCharacters);
        price->setAlignment(Qt::AlignRight);
        price->setMaximumWidth(140);
    }
    editBiko1_ = MakeTextEdit("EditBiko1", kRemarksFieldBytes, QStringLiteral("備考"), group);
    auto* required = MakeMasterPanel("RequiredPanel", group);
    required->setText(QStringLiteral("必須入力"));
    QPalette red = required->palette();
    red.setColor(QPalette::WindowText, QColor(Qt::red));
    required->setPalette(red);

    auto* fields = new QGridLayout;
    fields->addWidget(FieldLabel("商品名", group), 0, 0);
    fields->addWidget(edit2_, 0, 1, 1, 2);
    fields->addWidget(required, 0, 3);
    fields->addWidget(FieldLabel("規  格", group), 1, 0);
    fields->addWidget(edit3_, 1, 1, 1, 2);
    fields->addWidget(BuildUnitGroup(), 2, 0, 1, 4);
    fields->addWidget(FieldLabel("仕入原価", group), 3, 0);
    fields->addWidget(maskEdit1_, 3, 1);
    fields->addWidget(FieldLabel("販売単価", group), 4, 0);
    fields->addWidget(maskEdit2_, 4, 1);
    fields->addWidget(FieldLabel("備    考", group), 5, 0);
    fields->addWidget(editBiko1_, 5, 1, 1, 2);
    fields->setColumnStretch(2, 1);

    sNew_ = MakeButton("S_new", "新 規", group, kButtonLook);
    sChg_ = MakeButton("S_chg", "訂 正", group, kButtonLook);
    sSav_ = MakeButton("S_sav", "保 存", group, kButtonLook);
    sDel_ = MakeButton("S_del", "削  除", group, kButtonLook);
    connect(sNew_, &QPushButton::clicked, this, &TFormMSyo::NewProduct);
    connect(sChg_, &QPushButton::clicked, this, &TFormMSyo::ChangeProduct);
    connect(sSav_, &QPushButton::clicked, this, &TFormMSyo::SaveProduct);
    connect(sDel_, &QPushButton::clicked, this, &TFormMSyo::DeleteProduct);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {sNew_, sChg_, sSav_, sDel_}) buttons->addWidget(button);

    layout->addLayout(captionRow);
    layout->addWidget(header_);
    layout->addWidget(sLb1_, 1);
    layout->addWidget(sKensu_);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    return group;
}

QWidget* TFormMSyo::BuildUnitGroup() {
    auto* group = new QFrame(this);
    group->setObjectName("UnitGroup");
    group->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QHBoxLayout(group);
    layout->setContentsMargins(4, 2, 4, 2);
    auto* caption = new QLabel(QStringLiteral("< 単位 >"), group);
    unitEbl_ = MakeMasterPanel("UnitEBL", group);
    unitEbl_->setText(QStringLiteral("単  位"));
    unitEbl_->setFrameShadow(QFrame::Raised);
    unitEbl_->setToolTip(QStringLiteral("ここをクリックしたら単位登録ができます。"));
    unitEbl_->setCursor(Qt::PointingHandCursor);
    unitEbl_->setMinimumWidth(70);
    cbUnit_ = new QComboBox(group);
    cbUnit_->setObjectName("CBUnit");
    cbUnit_->setEditable(true);
    cbUnit_->setInsertPolicy(QComboBox::NoInsert);
    cbUnit_->setMinimumWidth(90);
    // Its width is its own, not that of the units it lists, so refilling it after a save
    // never widens the window.
    cbUnit_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbUnit_->setMinimumContentsLength(6);
    unitEdit_ = MakeTextEdit("", kUnitFieldBytes, QStringLiteral("単位"), cbUnit_);
    cbUnit_->setLineEdit(unitEdit_);
    uKensu_ = new QLabel(group);
    uKensu_->setObjectName("U_Kensu");
    unitMemo_ = new QLabel(group);
    unitMemo_->setObjectName("UnitMemo");
    unitBtn_ = new QWidget(group);
    unitBtn_->setObjectName("UnitBtn");
    auto* buttons = new QHBoxLayout(unitBtn_);
    buttons->setContentsMargins(0, 0, 0, 0);
    uSav_ = MakeButton("U_sav", "保 存", unitBtn_, kButtonLook);
    uDel_ = MakeButton("U_del", "削  除", unitBtn_, kButtonLook);
    connect(uSav_, &QPushButton::clicked, this, &TFormMSyo::SaveUnit);
    connect(uDel_, &QPushButton::clicked, this, &TFormMSyo::DeleteUnit);
    buttons->addWidget(uSav_);
    buttons->addWidget(uDel_);
    layout->addWidget(caption);
    layout->addWidget(unitEbl_);
    layout->addWidget(cbUnit_);
    layout->addWidget(uKensu_);
    layout->addWidget(unitMemo_, 1);
    layout->addWidget(unitBtn_, 1);
    return group;
}

void TFormMSyo::BuildMenu() {
    auto* bar = new QMenuBar(this);
    bar->setObjectName("MainMenu1");
    bar->setNativeMenuBar(false);
    QMenu* menu = bar->addMenu(QStringLiteral("処理(&F)"));
    menu->setObjectName("File1");
    QAction* import = menu->addAction(QStringLiteral("商品インポート(&I)..."));
    import->setObjectName("SImp1");
    connect(import, &QAction::triggered, this, &TFormMSyo::Import);
    QAction* exit = menu->addAction(QStringLiteral("終了(&X)"));
    exit->setObjectName("Exit1");
    connect(exit, &QAction::triggered, this, &QDialog::reject);
    layout()->setMenuBar(bar);
}

void TFormMSyo::SetFileChooser(std::function<QString(const QString&)> choose) {
    chooseFile_ = std::move(choose);
}

void TFormMSyo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    PlaceOnScreen(this, pos());
    Open();
}

void TFormMSyo::Open() {
    titlePanel_->setText(Text(texts_.titlePanel));
    kGroupCaption_->setText(Text(texts_.groupCaption));
    kNameLabel_->setText(Text(texts_.nameLabel));
    kListHeading_->setText(Text(texts_.listHeading));
    hintPanel_->setText(Text(texts_.selectFirstHint));

    ClearProductFields();
    SetProductEditMode(false);
    kDel_->setEnabled(false);

    registration_.Open();
    if (const std::string unreadable = registration_.UnreadableMessage(); !unreadable.empty())
        program_.questions.Inform(unreadable);
    setWindowTitle(Text(RegistrationCaption(ReadOnly(), registration_.OtherHolder())));
    kSav_->setEnabled(!ReadOnly());

    FillUnits();
    ShowCounters();
    unitMemo_->setText(Text(kUnitMemoText));
    ShowUnitButtons(false);

    // What the window does on activation.
    FillConstructionList();
    sLb1_->Model().SetItems({});
    kNm1_->clear();
    currentCode_.clear();
    for (auto& panel : statusPanels_) panel->clear();
    ShowCounters();
    SetHeaderSections(header_,
                      {{QStringLiteral("商  品  名"), 215}, {QStringLiteral("規   格"), 300}});
    kNm1_->setFocus();
}

void TFormMSyo::done(int result) {
    if (CloseNeedsQuestion(kNm1_->Cp932Text(), edit2_->Cp932Text()) &&
        !Ask(kRegistrationCloseQuestion)) {
        return;
    }
    registration_.Close();
    QDialog::done(result);
}

bool TFormMSyo::Ask(const std::string& question) {
    return program_.questions.AskButtons(question, {}, kOkButton, kCancelButton, {}) == 1;
}

void TFormMSyo::ReportWrite(int result, const char* fileName) {
    if (result == -1) {
        program_.questions.Inform(MasterWriteFailedMessage(program_.environment, fileName));
    }
}

void TFormMSyo::FillConstructionList() {
    kLb1_->Model().SetItems(ConstructionListItems(program_.masters).items);
}

void TFormMSyo::FillProductList() {
    sLb1_->Model().SetItems(ProductListItems(program_.masters, currentCode_).items);
}

void TFormMSyo::FillUnits() {
    const QString typed = cbUnit_->currentText();
    cbUnit_->clear();
    for (const std::string& unit : program_.masters.units) {
        cbUnit_->addItem(Cp932ToQStringLossy(unit));
    }
    cbUnit_->setEditText(typed);
}

void TFormMSyo::ShowCounters() {
    const MasterLists& lists = program_.masters;
    kKensu_->setText(Text(CounterText(lists.constructionNames.size(), kConstructionNameCapacity)));
    sKensu_->setText(currentCode_.empty()
                         ? QString()
                         : Text(CounterText(lists.products.size(), kProductCapacity)));
    uKensu_->setText(Text(CounterText(lists.units.size(), kUnitCapacity)));
}

void TFormMSyo::ClearProductFields() {
    edit1_->clear();
    for (QLineEdit* edit : {edit2_, edit3_, editBiko1_}) edit->clear();
    cbUnit_->setEditText({});
    maskEdit1_->setText(Text(PriceDisplayText("0")));
    maskEdit2_->setText(Text(PriceDisplayText("0")));
}

void TFormMSyo::SetProductEditMode(bool on) {
    productEditMode_ = on;
    sSav_->setEnabled(on && !ReadOnly());
    sDel_->setEnabled(on && !ReadOnly());
}

void TFormMSyo::ShowUnitButtons(bool shown) {
    unitMemo_->setVisible(!shown);
    unitBtn_->setVisible(shown);
}

void TFormMSyo::SelectConstruction(int row) {
    const auto& names = program_.masters.constructionNames;
    if (row < 0 || row >= static_cast<int>(names.size())) {
        currentCode_.clear();
        return;
    }
    const std::string& line = names[static_cast<std::size_t>(row)];
    currentCode_ = ConstructionCodeOf(line);
    kNm1_->SetCp932Text(TrimmedRight(ConstructionNameOf(line)));
    ClearProductFields();
    kDel_->setEnabled(!ReadOnly());
    FillProductList();
    statusPanels_[0]->setText(Text(texts_.statusPrefix) + Cp932ToQStringLossy(currentCode_));
    ShowCounters();
    SetProductEditMode(false);
    NewProduct();
}

void TFormMSyo::ForgetConstruction() {
    currentCode_.clear();
    statusPanels_[0]->setText(Text(texts_.statusPrefix));
    sLb1_->Model().SetItems({});
    ClearProductFields();
    SetProductEditMode(false);
    kDel_->setEnabled(false);
    ShowCounters();
}

void TFormMSyo::NewConstruction() {
    if (Ask(texts_.newQuestion)) {
        kNm1_->clear();
        kLb1_->SelectRow(-1);
        ForgetConstruction();
    }
    kNm1_->setFocus();
}

void TFormMSyo::ChangeConstruction() {
    ClearProductFields();
    SetProductEditMode(false);
    if (kLb1_->SelectedRow() >= 0) kNm1_->setFocus();
}

void TFormMSyo::SaveConstruction() {
    switch (ConstructionSaveStep(program_.masters, kNm1_->Cp932Text())) {
        case SaveStep::kNothing:
            return;
        case SaveStep::kFull:
            program_.questions.Inform(texts_.capacityMessage);
            return;
        case SaveStep::kGoOn:
            break;
    }
    if (!Ask(texts_.saveQuestion)) {
        kNm1_->setFocus();
        return;
    }
    const int result = registration_.SaveConstructionName(currentCode_, kNm1_->Cp932Text());
    if (result == kListFull) {
        program_.questions.Inform(texts_.capacityMessage);
        return;
    }
    ReportWrite(result, kConstructionFileName);
    if (result == 0 && !ReadOnly()) kNm1_->clear();
    FillConstructionList();
    ForgetConstruction();
    kNm1_->setFocus();
}

void TFormMSyo::DeleteConstruction() {
    if (!kDel_->isEnabled() || currentCode_.empty()) return;
    if (Ask(texts_.deleteQuestion)) {
        ReportWrite(registration_.DeleteConstructionName(currentCode_), kConstructionFileName);
        FillConstructionList();
        kNm1_->clear();
        ForgetConstruction();
    }
    kNm1_->setFocus();
}

void TFormMSyo::SelectProduct(int row) {
    const std::vector<std::string>& items = sLb1_->Model().Items();
    if (row < 0 || row >= static_cast<int>(items.size())) return;
    const std::string code = ProductCodeOfItem(items[static_cast<std::size_t>(row)]);
    edit1_->setText(QString::fromStdString(code));
    if (IsBadProductCode(code)) {
        program_.questions.Inform(kProductCodeError);
        edit1_->clear();
        SetProductEditMode(false);
        return;
    }
    const int index = FindProduct(program_.masters, currentCode_, code);
    if (index < 0) {
        ClearProductFields();
        edit1_->setText(QString::fromStdString(code));
    } else {
        const ProductFields fields =
            ProductFieldsOf(program_.masters.products[static_cast<std::size_t>(index)]);
        edit2_->SetCp932Text(TrimmedRight(fields.name));
        edit3_->SetCp932Text(TrimmedRight(fields.specification));
        cbUnit_->setEditText(Cp932ToQStringLossy(TrimmedRight(fields.unit)));
        maskEdit1_->setText(Text(PriceDisplayText(fields.cost)));
        maskEdit2_->setText(Text(PriceDisplayText(fields.price)));
        editBiko1_->SetCp932Text(TrimmedRight(fields.remarks));
    }
    SetProductEditMode(true);
    statusPanels_[2]->setText(Text(kProductStatusPrefix) + edit1_->text());
}

void TFormMSyo::NewProduct() {
    ClearProductFields();
    sLb1_->SelectRow(-1);
    edit2_->setFocus();
    if (currentCode_.empty()) return;
    SetProductEditMode(false);
    sSav_->setEnabled(!ReadOnly());
    edit1_->setText(QString::fromStdString(NextProductCode(program_.masters, currentCode_).code));
    statusPanels_[2]->setText(Text(kProductStatusPrefix) + edit1_->text());
}

void TFormMSyo::StartProductIfBlank() {
    if (!IsBlank(edit1_) || currentCode_.empty()) return;
    sSav_->setEnabled(!ReadOnly());
    edit1_->setText(QString::fromStdString(NextProductCode(program_.masters, currentCode_).code));
    statusPanels_[2]->setText(Text(kProductStatusPrefix) + edit1_->text());
}

void TFormMSyo::ChangeProduct() {
    if (sLb1_->SelectedRow() >= 0) edit2_->setFocus();
}

void TFormMSyo::SaveProduct() {
    edit2_->setFocus();
    switch (ProductSaveStep(program_.masters, currentCode_, edit1_->text().toStdString(),
                            edit2_->Cp932Text())) {
        case SaveStep::kNothing:
            return;
        case SaveStep::kFull:
            program_.questions.Inform(kProductCapacityMessage);
            return;
        case SaveStep::kGoOn:
            break;
    }
    const int selected = sLb1_->SelectedRow();
    ProductFields fields;
    fields.constructionCode = currentCode_;
    fields.productCode = edit1_->text().toStdString();
    fields.name = edit2_->Cp932Text();
    fields.specification = edit3_->Cp932Text();
    fields.unit = unitEdit_->Cp932Text();
    fields.cost = MasterNumberText(maskEdit1_->text().toStdString());
    fields.price = MasterNumberText(maskEdit2_->text().toStdString());
    fields.remarks = editBiko1_->Cp932Text();
    ReportWrite(registration_.SaveProduct(fields), kProductFileName);
    SetProductEditMode(false);
    FillProductList();
    ShowCounters();
    NewProduct();
    sLb1_->SelectRow(selected);
    edit2_->setFocus();
}

void TFormMSyo::EnterInRemarks() {
    switch (RemarksEnterStep(currentCode_, edit1_->text().toStdString(), edit2_->Cp932Text(),
                             ReadOnly())) {
        case RemarksEnter::kSelectConstruction:
            program_.questions.Inform(texts_.selectMessage);
            kLb1_->setFocus();
            return;
        case RemarksEnter::kNameMissing:
            program_.questions.Inform(kProductNameMissing);
            edit2_->setFocus();
            return;
        case RemarksEnter::kNoSave:
            edit2_->setFocus();
            return;
        case RemarksEnter::kAskSave:
            edit2_->setFocus();
            if (Ask(kSaveProductQuestion)) SaveProduct();
            return;
    }
}

void TFormMSyo::DeleteProduct() {
    const int selected = sLb1_->SelectedRow();
    if (Ask(kDeleteProductQuestion)) {
        ReportWrite(registration_.DeleteProduct(currentCode_, edit1_->text().toStdString()),
                    kProductFileName);
        SetProductEditMode(false);
        ShowCounters();
        FillProductList();
    }
    sLb1_->SelectRow(RowAfterProductDelete(selected, sLb1_->Count()));
    edit2_->setFocus();
}

void TFormMSyo::OpenUnitEditing() {
    if (ReadOnly()) return;
    ShowUnitButtons(true);
    cbUnit_->setFocus();
}

void TFormMSyo::SaveUnit() {
    SetProductEditMode(false);
    cbUnit_->setFocus();
    const int result = registration_.AddUnit(unitEdit_->Cp932Text());
    if (result == 1) return;
    if (result == kListFull) {
        program_.questions.Inform(kUnitCapacityMessage);
        return;
    }
    ReportWrite(result, kUnitFileName);
    FillUnits();
    ShowCounters();
    cbUnit_->setFocus();
}

void TFormMSyo::DeleteUnit() {
    SetProductEditMode(false);
    cbUnit_->setFocus();
    const std::string unit = Trimmed(unitEdit_->Cp932Text());
    if (FindUnit(program_.masters, unit) < 0 || !Ask(kDeleteUnitQuestion)) return;
    ReportWrite(registration_.DeleteUnit(unit), kUnitFileName);
    FillUnits();
    ShowCounters();
    cbUnit_->setEditText({});
}

void TFormMSyo::Import() {
    if (currentCode_.empty()) {
        program_.questions.Inform(kImportNoConstructionMessage);
        return;
    }
    if (ReadOnly()) {
        const std::string unreadable = registration_.UnreadableMessage();
        program_.questions.Inform(unreadable.empty() ? kImportReadOnlyMessage : unreadable);
        return;
    }
    const QString folder = QDir::currentPath();
    const QString path = chooseFile_(QDir(folder).filePath(Text(kImportProposedFileName)));
    QDir::setCurrent(folder);
    if (path.isEmpty()) return;
    if (const ImportFileCheck check = CheckImportFile(path);
        check.status != ImportFileStatus::kRead) {
        program_.questions.Inform(ImportFileMessage(check, path));
        return;
    }
    if (!program_.questions.AskOkCancel(ImportConfirmMessage(path), kImportConfirmCaption)) return;

    const ProductImportFileResult result =
        ImportProductFile(program_.masters, program_.environment, currentCode_, path);
    if (result.file.status != ImportFileStatus::kRead) {
        program_.questions.Inform(ImportFileMessage(result.file, path));
        return;
    }
    if (result.report.capacityStopped) program_.questions.Inform(kImportCapacityMessage);
    FillProductList();
    ShowCounters();
    // The code waiting for a new product may have been taken by the import.
    if (!productEditMode_) NewProduct();
    ReportWrite(result.writeResult, kProductFileName);
    program_.questions.Inform(ImportClosingMessage(result.report));
}

void TFormMSyo::FocusNext(bool forward) { focusNextPrevChild(forward); }

bool TFormMSyo::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == unitEbl_) {
            OpenUnitEditing();
            return true;
        }
        if (watched == edit2_ || watched == edit3_ || watched == editBiko1_) {
            StartProductIfBlank();
        }
        return QDialog::eventFilter(watched, event);
    }
    if (event->type() == QEvent::FocusIn && (watched == maskEdit1_ || watched == maskEdit2_)) {
        auto* price = static_cast<QLineEdit*>(watched);
        price->setText(Text(PriceEditText(price->text().toStdString())));
        QTimer::singleShot(0, price, &QLineEdit::selectAll);
        return QDialog::eventFilter(watched, event);
    }
    if (event->type() == QEvent::FocusOut && (watched == maskEdit1_ || watched == maskEdit2_)) {
        auto* price = static_cast<QLineEdit*>(watched);
        price->setText(Text(PriceDisplayText(price->text().toStdString())));
        return QDialog::eventFilter(watched, event);
    }
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);

    const auto* keyEvent = static_cast<QKeyEvent*>(event);
    const bool inDropDown = watched == cbUnit_ || watched == cbUnit_->lineEdit();
    if ((watched == maskEdit1_ || watched == maskEdit2_) && !keyEvent->text().isEmpty() &&
        PriceFieldRefuses(keyEvent->text().toUcs4().front())) {
        return true;
    }
    const KeyAction action = RegistrationKeyAction(FieldOf(watched), KeyOf(keyEvent->key()),
                                                   inDropDown && cbUnit_->view()->isVisible());
    switch (action) {
        case KeyAction::kPass:
            return false;
        case KeyAction::kSwallow:
            return true;
        case KeyAction::kClose:
            reject();
            return true;
        case KeyAction::kNext:
        case KeyAction::kPrevious:
            FocusNext(action == KeyAction::kNext);
            return true;
        case KeyAction::kToEditField:
            (watched == kLb1_ ? static_cast<QWidget*>(kNm1_) : edit2_)->setFocus();
            return true;
        case KeyAction::kClick:
            static_cast<QPushButton*>(watched)->click();
            return true;
        case KeyAction::kEnterInRemarks:
            EnterInRemarks();
            return true;
    }
    return false;
}

RegistrationField TFormMSyo::FieldOf(const QObject* watched) const {
    if (watched == cbUnit_ || watched == cbUnit_->lineEdit())
        return RegistrationField::kUnitDropDown;
    if (watched == kLb1_) return RegistrationField::kConstructionList;
    if (watched == sLb1_) return RegistrationField::kProductList;
    if (watched == kNm1_) return RegistrationField::kConstructionName;
    if (watched == edit2_) return RegistrationField::kProductName;
    if (watched == editBiko1_) return RegistrationField::kRemarks;
    if (qobject_cast<const QPushButton*>(watched)) return RegistrationField::kButton;
    return RegistrationField::kOtherField;
}

RegistrationKey TFormMSyo::KeyOf(int key) {
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return RegistrationKey::kEnter;
        case Qt::Key_Tab:
            return RegistrationKey::kTab;
        case Qt::Key_Down:
            return RegistrationKey::kDown;
        case Qt::Key_Up:
            return RegistrationKey::kUp;
        case Qt::Key_Escape:
            return RegistrationKey::kEscape;
        default:
            return RegistrationKey::kOther;
    }
}

}  // namespace quilto
