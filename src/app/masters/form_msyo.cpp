#include "app/masters/form_msyo.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/foundation/form_button.h"
#include "app/foundation/screen_fit.h"
#include "app/foundation/status_panels.h"
#include "app/foundation/typed_line_edit.h"
#include "app/masters/construction_panel.h"
#include "app/masters/master_list_view.h"
#include "app/masters/master_widgets.h"
#include "app/masters/product_panel.h"
#include "app/masters/registration_keys.h"
#include "app/masters/unit_panel.h"
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

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }
QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

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
    button1_ = MakeButton("Button1", "閉じる", this, kRegistrationButtonLook);
    button1_->setMinimumWidth(100);
    connect(button1_, &QPushButton::clicked, this, &QDialog::reject);
    top->addWidget(titlePanel_, 1);
    top->addWidget(button1_);

    const auto refused = [this](const QString& message) {
        program_.questions.Inform(message.toStdString());
    };
    construction_ = new ConstructionPanel(Text(texts_.nameLabel), refused, this);
    products_ = new ProductPanel(refused, this);
    units_ = products_->units;
    auto* groups = new QHBoxLayout;
    groups->addWidget(construction_);
    groups->addWidget(products_, 1);
    Bind();

    const StatusPanels status = MakeStatusPanels(this, {{{250}, {250, Qt::AlignCenter}, {50}}});
    statusPanels_ = status.panels;

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addLayout(top);
    layout->addLayout(groups, 1);
    layout->addWidget(status.bar);
    BuildMenu();

    // Enter, Tab and the arrows move through the fields in this order.
    const ConstructionPanel& k = *construction_;
    const ProductPanel& p = *products_;
    const std::array<QWidget*, 18> order = {
        k.list,    k.name,      k.newButton,     k.changeButton,   k.saveButton,   k.deleteButton,
        p.list,    p.name,      p.specification, units_->dropDown, p.cost,         p.price,
        p.remarks, p.newButton, p.changeButton,  p.saveButton,     p.deleteButton, button1_};
    for (std::size_t i = 0; i + 1 < order.size(); ++i) setTabOrder(order[i], order[i + 1]);
    auto* keys =
        new RegistrationKeys({.constructionList = k.list,
                              .constructionName = k.name,
                              .productList = p.list,
                              .productName = p.name,
                              .remarks = p.remarks,
                              .units = units_},
                             {.close = [this] { reject(); },
                              .move = [this](bool forward) { focusNextPrevChild(forward); },
                              .enterInRemarks = [this] { EnterInRemarks(); }},
                             this);
    for (QWidget* widget : order) keys->Watch(widget);
    for (QWidget* widget :
         {static_cast<QWidget*>(units_->dropDown->lineEdit()),
          static_cast<QWidget*>(units_->saveButton), static_cast<QWidget*>(units_->deleteButton)}) {
        keys->Watch(widget);
    }
    // A press on the unit label opens unit editing; one in a product's text starts a
    // product when none is shown.
    for (QWidget* widget :
         {static_cast<QWidget*>(p.name), static_cast<QWidget*>(p.specification),
          static_cast<QWidget*>(p.remarks), static_cast<QWidget*>(units_->label)}) {
        widget->installEventFilter(this);
    }

    // Leaving the unit drop-down for anything but its two buttons closes unit editing.
    focusWatch_ =
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget* from, QWidget* to) {
            if (units_->ButtonsShown() && units_->Holds(from) && !units_->Holds(to) &&
                to != nullptr) {
                units_->ShowButtons(false);
            }
        });

    resize(1010, 640);
}

// The focus moves while the widgets are destroyed: the watch must not outlive this part.
TFormMSyo::~TFormMSyo() { disconnect(focusWatch_); }

void TFormMSyo::Bind() {
    const ConstructionPanel& k = *construction_;
    connect(k.list, &MasterListView::Clicked, this, &TFormMSyo::SelectConstruction);
    connect(k.list, &MasterListView::KeyMoved, this, &TFormMSyo::SelectConstruction);
    connect(k.newButton, &QPushButton::clicked, this, &TFormMSyo::NewConstruction);
    connect(k.changeButton, &QPushButton::clicked, this, &TFormMSyo::ChangeConstruction);
    connect(k.saveButton, &QPushButton::clicked, this, &TFormMSyo::SaveConstruction);
    connect(k.deleteButton, &QPushButton::clicked, this, &TFormMSyo::DeleteConstruction);
    const ProductPanel& p = *products_;
    connect(p.list, &MasterListView::Clicked, this, &TFormMSyo::SelectProduct);
    connect(p.list, &MasterListView::KeyMoved, this, &TFormMSyo::SelectProduct);
    connect(p.newButton, &QPushButton::clicked, this, &TFormMSyo::NewProduct);
    connect(p.changeButton, &QPushButton::clicked, this, &TFormMSyo::ChangeProduct);
    connect(p.saveButton, &QPushButton::clicked, this, &TFormMSyo::SaveProduct);
    connect(p.deleteButton, &QPushButton::clicked, this, &TFormMSyo::DeleteProduct);
    connect(units_->saveButton, &QPushButton::clicked, this, &TFormMSyo::SaveUnit);
    connect(units_->deleteButton, &QPushButton::clicked, this, &TFormMSyo::DeleteUnit);
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
    construction_->caption->setText(Text(texts_.groupCaption));
    construction_->nameLabel->setText(Text(texts_.nameLabel));
    construction_->listHeading->setText(Text(texts_.listHeading));
    products_->hint->setText(Text(texts_.selectFirstHint));

    products_->ClearFields();
    SetProductEditMode(false);
    construction_->deleteButton->setEnabled(false);

    registration_.Open();
    if (const std::string unreadable = registration_.UnreadableMessage(); !unreadable.empty())
        program_.questions.Inform(unreadable);
    setWindowTitle(Text(RegistrationCaption(ReadOnly(), registration_.OtherHolder())));
    construction_->saveButton->setEnabled(!ReadOnly());

    FillUnits();
    ShowCounters();
    units_->memo->setText(Text(kUnitMemoText));
    units_->ShowButtons(false);

    // What the window does on activation.
    FillConstructionList();
    products_->list->Model().SetItems({});
    construction_->name->clear();
    currentCode_.clear();
    for (auto& panel : statusPanels_) panel->clear();
    ShowCounters();
    SetHeaderSections(products_->header,
                      {{QStringLiteral("商  品  名"), 215}, {QStringLiteral("規   格"), 300}});
    construction_->name->setFocus();
}

void TFormMSyo::done(int result) {
    if (CloseNeedsQuestion(construction_->name->Cp932Text(), products_->name->Cp932Text()) &&
        !Ask(kRegistrationCloseQuestion)) {
        return;
    }
    registration_.Close();
    QDialog::done(result);
}

bool TFormMSyo::Ask(const std::string& question) {
    return program_.questions.AskButtons(question, {}, kOkButton, kCancelButton, {}) ==
           ButtonAnswer::kFirst;
}

void TFormMSyo::ReportWrite(RegistrationResult result, const char* fileName) {
    if (result == RegistrationResult::kWriteFailed) {
        program_.questions.Inform(MasterWriteFailedMessage(program_.environment, fileName));
    }
}

void TFormMSyo::FillConstructionList() {
    construction_->list->Model().SetItems(ConstructionListItems(program_.masters).items);
}

void TFormMSyo::FillProductList() {
    products_->list->Model().SetItems(ProductListItems(program_.masters, currentCode_).items);
}

void TFormMSyo::FillUnits() {
    const QString typed = units_->dropDown->currentText();
    units_->dropDown->clear();
    for (const std::string& unit : program_.masters.units) {
        units_->dropDown->addItem(Cp932ToQStringLossy(unit));
    }
    units_->dropDown->setEditText(typed);
}

void TFormMSyo::ShowCounters() {
    const MasterLists& lists = program_.masters;
    construction_->counter->setText(
        Text(CounterText(lists.constructionNames.size(), kConstructionNameCapacity)));
    products_->counter->setText(currentCode_.empty()
                                    ? QString()
                                    : Text(CounterText(lists.products.size(), kProductCapacity)));
    units_->counter->setText(Text(CounterText(lists.units.size(), kUnitCapacity)));
}

void TFormMSyo::ShowProductCode() {
    statusPanels_[2]->setText(Text(kProductStatusPrefix) + products_->code->text());
}

void TFormMSyo::SetProductEditMode(bool on) {
    productEditMode_ = on;
    products_->saveButton->setEnabled(on && !ReadOnly());
    products_->deleteButton->setEnabled(on && !ReadOnly());
}

void TFormMSyo::SelectConstruction(int row) {
    const auto& names = program_.masters.constructionNames;
    if (row < 0 || row >= static_cast<int>(names.size())) {
        currentCode_.clear();
        return;
    }
    const std::string& line = names[static_cast<std::size_t>(row)];
    currentCode_ = ConstructionCodeOf(line);
    construction_->name->SetCp932Text(TrimmedRight(ConstructionNameOf(line)));
    products_->ClearFields();
    construction_->deleteButton->setEnabled(!ReadOnly());
    FillProductList();
    statusPanels_[0]->setText(Text(texts_.statusPrefix) + Cp932ToQStringLossy(currentCode_));
    ShowCounters();
    SetProductEditMode(false);
    NewProduct();
}

void TFormMSyo::ForgetConstruction() {
    currentCode_.clear();
    statusPanels_[0]->setText(Text(texts_.statusPrefix));
    products_->list->Model().SetItems({});
    products_->ClearFields();
    SetProductEditMode(false);
    construction_->deleteButton->setEnabled(false);
    ShowCounters();
}

void TFormMSyo::NewConstruction() {
    if (Ask(texts_.newQuestion)) {
        construction_->name->clear();
        construction_->list->SelectRow(-1);
        ForgetConstruction();
    }
    construction_->name->setFocus();
}

void TFormMSyo::ChangeConstruction() {
    products_->ClearFields();
    SetProductEditMode(false);
    if (construction_->list->SelectedRow() >= 0) construction_->name->setFocus();
}

void TFormMSyo::SaveConstruction() {
    switch (ConstructionSaveStep(program_.masters, construction_->name->Cp932Text())) {
        case SaveStep::kNothing:
            return;
        case SaveStep::kFull:
            program_.questions.Inform(texts_.capacityMessage);
            return;
        case SaveStep::kGoOn:
            break;
    }
    if (!Ask(texts_.saveQuestion)) {
        construction_->name->setFocus();
        return;
    }
    const RegistrationResult result =
        registration_.SaveConstructionName(currentCode_, construction_->name->Cp932Text());
    if (result == RegistrationResult::kListFull) {
        program_.questions.Inform(texts_.capacityMessage);
        return;
    }
    ReportWrite(result, kConstructionFileName);
    if (result == RegistrationResult::kDone && !ReadOnly()) construction_->name->clear();
    FillConstructionList();
    ForgetConstruction();
    construction_->name->setFocus();
}

void TFormMSyo::DeleteConstruction() {
    if (!construction_->deleteButton->isEnabled() || currentCode_.empty()) return;
    if (Ask(texts_.deleteQuestion)) {
        ReportWrite(registration_.DeleteConstructionName(currentCode_), kConstructionFileName);
        FillConstructionList();
        construction_->name->clear();
        ForgetConstruction();
    }
    construction_->name->setFocus();
}

void TFormMSyo::SelectProduct(int row) {
    const std::vector<std::string>& items = products_->list->Model().Items();
    if (row < 0 || row >= static_cast<int>(items.size())) return;
    const std::string code = ProductCodeOfItem(items[static_cast<std::size_t>(row)]);
    products_->code->setText(QString::fromStdString(code));
    if (IsBadProductCode(code)) {
        program_.questions.Inform(kProductCodeError);
        products_->code->clear();
        SetProductEditMode(false);
        return;
    }
    const int index = FindProduct(program_.masters, currentCode_, code);
    if (index < 0) {
        products_->ClearFields();
        products_->code->setText(QString::fromStdString(code));
    } else {
        const ProductFields fields =
            ProductFieldsOf(program_.masters.products[static_cast<std::size_t>(index)]);
        products_->name->SetCp932Text(TrimmedRight(fields.name));
        products_->specification->SetCp932Text(TrimmedRight(fields.specification));
        units_->dropDown->setEditText(Cp932ToQStringLossy(TrimmedRight(fields.unit)));
        products_->cost->setText(Text(PriceDisplayText(fields.cost)));
        products_->price->setText(Text(PriceDisplayText(fields.price)));
        products_->remarks->SetCp932Text(TrimmedRight(fields.remarks));
    }
    SetProductEditMode(true);
    ShowProductCode();
}

void TFormMSyo::NewProduct() {
    products_->ClearFields();
    products_->list->SelectRow(-1);
    products_->name->setFocus();
    if (currentCode_.empty()) return;
    SetProductEditMode(false);
    products_->saveButton->setEnabled(!ReadOnly());
    products_->code->setText(
        QString::fromStdString(NextProductCode(program_.masters, currentCode_).code));
    ShowProductCode();
}

void TFormMSyo::StartProductIfBlank() {
    if (!PressStartsNewProduct(products_->code->text().toStdString(), currentCode_)) return;
    products_->saveButton->setEnabled(!ReadOnly());
    products_->code->setText(
        QString::fromStdString(NextProductCode(program_.masters, currentCode_).code));
    ShowProductCode();
}

void TFormMSyo::ChangeProduct() {
    if (products_->list->SelectedRow() >= 0) products_->name->setFocus();
}

void TFormMSyo::SaveProduct() {
    products_->name->setFocus();
    switch (ProductSaveStep(program_.masters, currentCode_, products_->code->text().toStdString(),
                            products_->name->Cp932Text())) {
        case SaveStep::kNothing:
            return;
        case SaveStep::kFull:
            program_.questions.Inform(kProductCapacityMessage);
            return;
        case SaveStep::kGoOn:
            break;
    }
    const int selected = products_->list->SelectedRow();
    ProductFields fields;
    fields.constructionCode = currentCode_;
    fields.productCode = products_->code->text().toStdString();
    fields.name = products_->name->Cp932Text();
    fields.specification = products_->specification->Cp932Text();
    fields.unit = units_->edit->Cp932Text();
    fields.cost = MasterNumberText(products_->cost->text().toStdString());
    fields.price = MasterNumberText(products_->price->text().toStdString());
    fields.remarks = products_->remarks->Cp932Text();
    ReportWrite(registration_.SaveProduct(fields), kProductFileName);
    SetProductEditMode(false);
    FillProductList();
    ShowCounters();
    NewProduct();
    products_->list->SelectRow(selected);
    products_->name->setFocus();
}

void TFormMSyo::EnterInRemarks() {
    switch (RemarksEnterStep(currentCode_, products_->code->text().toStdString(),
                             products_->name->Cp932Text(), ReadOnly())) {
        case RemarksEnter::kSelectConstruction:
            program_.questions.Inform(texts_.selectMessage);
            construction_->list->setFocus();
            return;
        case RemarksEnter::kNameMissing:
            program_.questions.Inform(kProductNameMissing);
            products_->name->setFocus();
            return;
        case RemarksEnter::kNoSave:
            products_->name->setFocus();
            return;
        case RemarksEnter::kAskSave:
            products_->name->setFocus();
            if (Ask(kSaveProductQuestion)) SaveProduct();
            return;
    }
}

void TFormMSyo::DeleteProduct() {
    const int selected = products_->list->SelectedRow();
    if (Ask(kDeleteProductQuestion)) {
        ReportWrite(
            registration_.DeleteProduct(currentCode_, products_->code->text().toStdString()),
            kProductFileName);
        SetProductEditMode(false);
        ShowCounters();
        FillProductList();
    }
    products_->list->SelectRow(RowAfterProductDelete(selected, products_->list->Count()));
    products_->name->setFocus();
}

void TFormMSyo::OpenUnitEditing() {
    if (ReadOnly()) return;
    units_->ShowButtons(true);
    units_->dropDown->setFocus();
}

void TFormMSyo::SaveUnit() {
    SetProductEditMode(false);
    units_->dropDown->setFocus();
    const RegistrationResult result = registration_.AddUnit(units_->edit->Cp932Text());
    if (result == RegistrationResult::kNothingToDo) return;
    if (result == RegistrationResult::kListFull) {
        program_.questions.Inform(kUnitCapacityMessage);
        return;
    }
    ReportWrite(result, kUnitFileName);
    FillUnits();
    ShowCounters();
    units_->dropDown->setFocus();
}

void TFormMSyo::DeleteUnit() {
    SetProductEditMode(false);
    units_->dropDown->setFocus();
    const std::string unit = Trimmed(units_->edit->Cp932Text());
    if (FindUnit(program_.masters, unit) < 0 || !Ask(kDeleteUnitQuestion)) return;
    ReportWrite(registration_.DeleteUnit(unit), kUnitFileName);
    FillUnits();
    ShowCounters();
    units_->dropDown->setEditText({});
}

void TFormMSyo::Import() {
    if (const std::string refusal =
            ImportCannotStartMessage(currentCode_, ReadOnly(), registration_.UnreadableMessage());
        !refusal.empty()) {
        program_.questions.Inform(refusal);
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
    if (result.writeResult != MasterFileResult::kOk)
        ReportWrite(RegistrationResult::kWriteFailed, kProductFileName);
    program_.questions.Inform(ImportClosingMessage(result.report));
}

bool TFormMSyo::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == units_->label) {
            OpenUnitEditing();
            return true;
        }
        StartProductIfBlank();
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace quilto
