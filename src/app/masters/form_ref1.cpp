#include "app/masters/form_ref1.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/foundation/form_button.h"
#include "app/foundation/screen_fit.h"
#include "app/masters/master_list_view.h"
#include "app/masters/master_widgets.h"
#include "core/foundation/cp932.h"
#include "core/foundation/text_bytes.h"
#include "core/masters/master_files.h"
#include "core/masters/product_guide.h"
#include "core/shell/program_state.h"
#include "core/shell/shell_state.h"

namespace quilto {
namespace {

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

QLabel* MakePanel(const char* name, QWidget* parent) {
    auto* panel = MakeMasterPanel(name, parent);
    panel->setFrameShadow(QFrame::Raised);
    panel->setMinimumWidth(70);
    return panel;
}

}  // namespace

TFormRef1::TFormRef1(ProgramState& program, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), program_(program) {
    setObjectName("FormRef1");
    setMinimumSize(300, 200);
    setMaximumWidth(400);

    panel2_ = MakePanel("Panel2", this);
    QFont bold = panel2_->font();
    bold.setBold(true);
    panel2_->setFont(bold);
    chkJyun_ = new QCheckBox(QStringLiteral("表示順"), this);
    chkJyun_->setObjectName("ChkJyun");
    chkJyun_->setToolTip(QStringLiteral("商品の表示順(コード/名称)"));
    connect(chkJyun_, &QCheckBox::clicked, this, &TFormRef1::FillList);
    button2_ = MakeButton("Button2", "名称登録", this);
    connect(button2_, &QPushButton::clicked, this, &TFormRef1::OpenRegistration);
    button1_ = MakeButton("Button1", "閉じる (ESC)", this);
    connect(button1_, &QPushButton::clicked, this, &TFormRef1::CloseGuide);
    auto* bar = new QHBoxLayout;
    bar->setSpacing(4);
    bar->addWidget(panel2_);
    bar->addWidget(chkJyun_);
    bar->addStretch(1);
    bar->addWidget(button2_);
    bar->addWidget(button1_);

    kojiPanel_ = MakePanel("KojiPanel", this);
    kojiListBox_ = new QComboBox(this);
    kojiListBox_->setObjectName("KojiListBox");
    kojiListBox_->setFont(MasterListFont());
    connect(kojiListBox_, &QComboBox::activated, this, &TFormRef1::ConstructionChosen);
    auto* second = new QHBoxLayout;
    second->setSpacing(4);
    second->addWidget(kojiPanel_);
    second->addWidget(kojiListBox_, 1);

    header_ = MakeListHeader(this);
    listBox1_ = new MasterListView("ListBox1", QColor(0, 0, 128), QColor(128, 128, 128), this);
    connect(listBox1_, &MasterListView::Clicked, this, &TFormRef1::Choose);
    // The header scrolls with the lines.
    connect(listBox1_->horizontalScrollBar(), &QScrollBar::valueChanged, header_,
            [this](int offset) { header_->setOffset(offset); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addLayout(bar);
    layout->addLayout(second);
    layout->addWidget(header_);
    layout->addWidget(listBox1_, 1);

    for (QWidget* widget : {static_cast<QWidget*>(kojiListBox_), static_cast<QWidget*>(listBox1_),
                            static_cast<QWidget*>(chkJyun_), static_cast<QWidget*>(button1_),
                            static_cast<QWidget*>(button2_)}) {
        widget->installEventFilter(this);
    }
    setTabOrder(kojiListBox_, listBox1_);
    resize(400, 420);
}

void TFormRef1::ShowConstructionGuide(const std::string& caption, const std::string& panel) {
    ShowGuide(caption, panel);
}

void TFormRef1::ShowProductGuide(const std::string& caption, const std::string& panel,
                                 const std::string& constructionCode) {
    constructionCode_ = constructionCode;
    ShowGuide(caption, panel);
}

void TFormRef1::ShowGuide(const std::string& caption, const std::string& panel) {
    setWindowTitle(Cp932ToQStringLossy(caption));
    panel2_->setText(Cp932ToQStringLossy(panel));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // First shown at the right of the editor, clear of its cover fields; where the user
    // moves it, it stays.
    if (!placed_ && parentWidget() != nullptr) {
        const QRect editor = parentWidget()->frameGeometry();
        PlaceOnScreen(this,
                      {std::max(editor.left(), editor.right() - width() - 24), editor.top() + 120});
        placed_ = true;
    }
    show();
    raise();
}

void TFormRef1::HideGuide() {
    setUpDone_ = false;
    hide();
}

void TFormRef1::CloseGuide() {
    setUpDone_ = false;
    constructionCode_.clear();
    hide();
    if (target_ == nullptr) return;
    target_->FocusActiveGrid();
    target_->GuideClosed();
}

void TFormRef1::closeEvent(QCloseEvent* event) {
    event->ignore();
    CloseGuide();
}

void TFormRef1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    LoadProducts(program_.masters, program_.environment);
    LoadConstructionNames(program_.masters, program_.environment);
    kojiPanel_->setText(Text(std::string(kKojiLabel) + "名"));
    // The set-up reads the editor's focused grid, which is still the editor's at this moment.
    if (!setUpDone_) SetUp();
    listBox1_->setFocus();
}

void TFormRef1::SetUp() {
    setUpDone_ = true;
    kojiListBox_->clear();
    for (const std::string& name : GuideConstructionNames(program_.masters)) {
        kojiListBox_->addItem(Cp932ToQStringLossy(name));
    }
    constructionCode_ = PadRightBytes(constructionCode_, kConstructionCodeWidth);
    sheet_ = target_ ? target_->FocusedSheet() : std::nullopt;
    productMode_ = sheet_ == SheetKind::Detail;
    if (productMode_) {
        SetHeaderSections(header_, {{QString::fromUtf8(kGuideProductNameHeader), 197},
                                    {QString::fromUtf8(kGuideSpecificationHeader), 240}});
        kojiListBox_->setCurrentIndex(FindConstructionName(program_.masters, constructionCode_));
    } else {
        SetHeaderSections(header_, {{QString::fromUtf8(kKojiGridHeader), 1000}});
    }
    kojiPanel_->setVisible(productMode_);
    kojiListBox_->setVisible(productMode_);
    chkJyun_->setVisible(productMode_);
    FillList();
}

void TFormRef1::FillList() {
    items_ = productMode_
                 ? GuideProductItems(program_.masters, constructionCode_, chkJyun_->isChecked())
                 : GuideConstructionItems(program_.masters);
    listBox1_->Model().SetItems(items_.items);
    // The first line is current, and the current line is the one Enter chooses.
    listBox1_->SelectRow(items_.items.empty() ? -1 : 0);
}

void TFormRef1::ConstructionChosen(int index) {
    const auto& names = program_.masters.constructionNames;
    if (index < 0 || index >= static_cast<int>(names.size())) {
        constructionCode_.clear();
        return;
    }
    constructionCode_ = ConstructionCodeOf(names[static_cast<std::size_t>(index)]);
    FillList();
    listBox1_->setFocus();
}

void TFormRef1::Choose(int row) {
    if (target_ == nullptr || !sheet_ || row < 0 || row >= static_cast<int>(items_.items.size())) {
        return;
    }
    const SheetKind sheet = *sheet_;
    const int line = target_->CurrentRow(sheet);
    if (!Trimmed(target_->Cell(sheet, line, 3)).empty()) return;
    if (productMode_) {
        target_->FillProduct(constructionCode_,
                             ProductCodeOfItem(items_.items[static_cast<std::size_t>(row)]));
    } else {
        const int entry = items_.entries[static_cast<std::size_t>(row)];
        const ConstructionChoice choice = ConstructionChoiceOf(
            program_.masters.constructionNames[static_cast<std::size_t>(entry)]);
        target_->SetCell(sheet, line, 1, choice.code);
        target_->SetCell(sheet, line, 3, choice.name);
        target_->SetCell(sheet, line, 5, kChoiceQuantity);
        target_->SetCell(sheet, line, 4, kChoiceUnit);
    }
    target_->MoveCurrentRowDown(sheet);
}

void TFormRef1::OpenRegistration() {
    HideGuide();
    if (openRegistration_) openRegistration_();
    show();
    raise();
}

bool TFormRef1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    const auto* keyEvent = static_cast<QKeyEvent*>(event);
    const int key = keyEvent->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (watched == kojiListBox_) {
        if (kojiListBox_->view()->isVisible()) return false;
        if (key == Qt::Key_Escape) {
            CloseGuide();
            return true;
        }
        if (enter) {
            ConstructionChosen(kojiListBox_->currentIndex());
            return true;
        }
        if (key == Qt::Key_Down || key == Qt::Key_Tab || key == Qt::Key_Up) {
            focusNextPrevChild(key != Qt::Key_Up);
            return true;
        }
        return false;
    }
    if (key == Qt::Key_Escape) {
        CloseGuide();
        return true;
    }
    if (watched == listBox1_ && enter) {
        Choose(listBox1_->SelectedRow());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace quilto
