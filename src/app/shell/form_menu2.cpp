#include "app/shell/form_menu2.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QVBoxLayout>
#include <utility>

#include "app/foundation/screen_fit.h"
#include "app/shell/byte_column_delegate.h"
#include "app/shell/shape_widget.h"
#include "core/foundation/cp932.h"
#include "core/shell/program_state.h"
#include "core/shell/shell_state.h"

namespace quilto {
namespace {

constexpr int kLeft = 200;
constexpr int kTop = 60;
constexpr int kItemHeight = 18;
constexpr int kHeaderHeight = 24;
// Wide enough for a whole line (136 bytes of 8 pixels) beside the scroll bar.
constexpr int kWidth = 1120;
constexpr int kHeight = 560;
// IPAGothic at 16 pixels: a half-width character is 8 pixels wide, a full-width one 16, so
// the 30-byte name columns fill their 240-pixel headers.
constexpr int kListFontPixels = 16;
constexpr int kCellWidth = 8;
constexpr std::array<int, 3> kStatusWidths = {300, 300, 50};

constexpr unsigned int kAqua = 0xFFFF00;
constexpr unsigned int kYellow = 0x00FFFF;
constexpr unsigned int kHeaderPanel = 0xF0CAA6;

struct Section {
    const char* text;
    int width;
};
const std::array<Section, 6> kSections = {{
    {"管理No", 60},
    {"  お 客 様 名", 240},
    {kKojiListHeader, 240},
    {"  日    付", 200},
    {" 見 出 し", 0},  // the heading column stays hidden
    {"   金     額", 1000},
}};

QFont ListFont() {
    QFont font(QStringLiteral("IPAGothic"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(kListFontPixels);
    return font;
}

QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    button->setMinimumSize(88, 30);
    return button;
}

}  // namespace

void ModePanel::mouseDoubleClickEvent(QMouseEvent* event) {
    QLabel::mouseDoubleClickEvent(event);
    emit DoubleClicked();
}

TFormMenu2::TFormMenu2(ProgramState& program, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      program_(program) {
    setObjectName("FormMenu2");
    setWindowTitle(QStringLiteral("見積一覧"));
    setModal(true);

    // Header bar: the prompt on its panel, the mode, the two buttons.
    shape2_ = new ShapeWidget(ShapeWidget::Shape::kRoundRect, this);
    shape2_->setObjectName("Shape2");
    shape2_->SetBrushColor(FromBgr(kHeaderPanel));
    auto* label2 = new QLabel(QStringLiteral("見積を選択してください。"), shape2_);
    label2->setObjectName("Label2");
    auto* shapeLayout = new QHBoxLayout(shape2_);
    shapeLayout->setContentsMargins(16, 6, 16, 6);
    shapeLayout->addWidget(label2);

    eMode_ = new ModePanel(this);
    eMode_->setObjectName("EMode");
    eMode_->setAutoFillBackground(true);
    eMode_->setAlignment(Qt::AlignCenter);
    eMode_->setFrameShape(QFrame::Panel);
    eMode_->setFrameShadow(QFrame::Sunken);
    eMode_->setMinimumWidth(160);
    connect(eMode_, &ModePanel::DoubleClicked, this, &TFormMenu2::ModePanelDoubleClicked);

    mlistRet_ = MakeButton("MlistRet", "戻  る", this);
    mlistRet_->setToolTip(QStringLiteral("メニューに戻ります。"));
    connect(mlistRet_, &QPushButton::clicked, this, &QDialog::reject);
    mlistEnt_ = MakeButton("MlistEnt", "決  定", this);
    connect(mlistEnt_, &QPushButton::clicked, this, &TFormMenu2::Choose);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(8, 8, 8, 8);
    bar->setSpacing(10);
    bar->addWidget(shape2_);
    bar->addWidget(eMode_);
    bar->addStretch(1);
    bar->addWidget(mlistRet_);
    bar->addWidget(mlistEnt_);

    // The column header and the list under it.
    headerModel_ = new QStandardItemModel(0, static_cast<int>(kSections.size()), this);
    headerControl1_ = new QHeaderView(Qt::Horizontal, this);
    headerControl1_->setObjectName("HeaderControl1");
    headerControl1_->setModel(headerModel_);
    headerControl1_->setSectionsClickable(false);
    headerControl1_->setHighlightSections(false);
    headerControl1_->setMinimumSectionSize(0);
    headerControl1_->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    headerControl1_->setStretchLastSection(false);
    headerControl1_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    headerControl1_->setFixedHeight(kHeaderHeight);

    listBox1_ = new QListWidget(this);
    listBox1_->setObjectName("ListBox1");
    listBox1_->setToolTip(QStringLiteral("ダブルクリックで実行。"));
    listBox1_->setFont(ListFont());
    delegate_ = new ByteColumnDelegate(kCellWidth, kItemHeight, listBox1_);
    listBox1_->setItemDelegate(delegate_);
    listBox1_->setUniformItemSizes(true);
    listBox1_->setSelectionMode(QAbstractItemView::SingleSelection);
    listBox1_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    listBox1_->installEventFilter(this);
    connect(listBox1_, &QListWidget::itemDoubleClicked, this, &TFormMenu2::Choose);
    connect(listBox1_, &QListWidget::itemSelectionChanged, this, &TFormMenu2::SelectionChanged);
    // The header scrolls with the lines.
    connect(listBox1_->horizontalScrollBar(), &QScrollBar::valueChanged, headerControl1_,
            [this](int offset) { headerControl1_->setOffset(offset); });

    statusBar1_ = new QStatusBar(this);
    statusBar1_->setObjectName("StatusBar1");
    statusBar1_->setSizeGripEnabled(false);
    for (std::size_t i = 0; i < statusPanels_.size(); ++i) {
        auto* panel = new QLabel(statusBar1_);
        panel->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        panel->setFixedWidth(kStatusWidths[i]);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        statusBar1_->addWidget(panel);
        statusPanels_[i] = panel;
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bar);
    layout->addWidget(headerControl1_);
    layout->addWidget(listBox1_, 1);
    layout->addWidget(statusBar1_);

    resize(kWidth, kHeight);
    PlaceOnScreen(this, {kLeft, kTop});
}

int TFormMenu2::CellWidth() const { return kCellWidth; }

void TFormMenu2::ShowDataFolder() {
    statusPanels_[0]->setText(DataFolderPanelText(program_.environment));
}

void TFormMenu2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    RebuildHeader();
    BuildList();
    PaintModePanel();
    PlaceOnScreen(this, pos());
    listBox1_->setFocus();
}

void TFormMenu2::RebuildHeader() {
    headerModel_->setColumnCount(0);
    headerModel_->setColumnCount(static_cast<int>(kSections.size()));
    for (int i = 0; i < static_cast<int>(kSections.size()); ++i) {
        const Section& section = kSections[static_cast<std::size_t>(i)];
        headerModel_->setHeaderData(i, Qt::Horizontal, QString::fromUtf8(section.text));
        headerControl1_->setSectionResizeMode(i, QHeaderView::Fixed);
        headerControl1_->resizeSection(i, section.width);
    }
    // Each field of a line is drawn in its own section; the heading's section is hidden and
    // its field empty. The number's section also holds the two blanks after it.
    constexpr int kCustomerByte = kListNumberBytes + 2;
    constexpr int kTitleByte = kCustomerByte + kListCustomerBytes;
    constexpr int kDateByte = kTitleByte + kListTitleBytes;
    constexpr int kAmountByte = kDateByte + kListDateBytes;
    const std::array<std::pair<int, int>, 5> fieldSections = {
        {{0, 0}, {1, kCustomerByte}, {2, kTitleByte}, {3, kDateByte}, {5, kAmountByte}}};
    std::vector<ByteColumnDelegate::Field> fields;
    for (const auto& [section, firstByte] : fieldSections) {
        const int margin = section == 0 ? ByteColumnDelegate::kMargin : 0;
        fields.push_back({firstByte, headerControl1_->sectionPosition(section) + margin,
                          headerControl1_->sectionSize(section) - margin});
    }
    delegate_->SetFields(std::move(fields));
}

void TFormMenu2::BuildList() {
    entries_ = ShowEstimateList(program_);
    listBox1_->clear();
    for (const EstimateListEntry& entry : entries_) {
        auto* item = new QListWidgetItem(Cp932ToQStringLossy(entry.item));
        item->setData(ByteColumnDelegate::kBytesRole,
                      QByteArray(entry.item.data(), static_cast<qsizetype>(entry.item.size())));
        listBox1_->addItem(item);
    }
    statusPanels_[1]->clear();
}

void TFormMenu2::PaintModePanel() {
    const int mode = program_.shell.entryMode;
    QPalette palette = eMode_->palette();
    palette.setColor(QPalette::Window, FromBgr(mode == kEntryDelete ? kYellow : kAqua));
    eMode_->setPalette(palette);
    eMode_->setCursor(mode == kEntryCopy ? Qt::PointingHandCursor : Qt::ArrowCursor);
    eMode_->setText(QString::fromStdString(ModePanelText(mode)));
}

int TFormMenu2::SelectedRow() const {
    const QList<QListWidgetItem*> selected = listBox1_->selectedItems();
    return selected.isEmpty() ? -1 : listBox1_->row(selected.first());
}

const EstimateListEntry* TFormMenu2::Selected() const {
    const int row = SelectedRow();
    if (row < 0 || row >= static_cast<int>(entries_.size())) return nullptr;
    return &entries_[static_cast<std::size_t>(row)];
}

void TFormMenu2::SelectionChanged() {
    const EstimateListEntry* entry = Selected();
    if (entry == nullptr) return;
    statusPanels_[1]->setText(QStringLiteral(" フリー印刷日 : ") +
                              Cp932ToQStringLossy(PrintDateOfListItem(entry->item)));
}

void TFormMenu2::Choose() { Act(ChooseListEntry(program_, Selected())); }

void TFormMenu2::ModePanelDoubleClicked() { Act(quilto::ModePanelDoubleClicked(program_)); }

void TFormMenu2::Act(ListOutcome outcome) {
    switch (outcome) {
        case ListOutcome::kStay:
            break;
        case ListOutcome::kClose:
            accept();
            break;
        case ListOutcome::kRebuild:
            BuildList();
            listBox1_->setFocus();
            break;
    }
}

bool TFormMenu2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == listBox1_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Choose();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace quilto
