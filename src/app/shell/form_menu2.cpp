#include "app/shell/form_menu2.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <optional>
#include <utility>

#include "app/foundation/form_button.h"
#include "app/foundation/issue_history_dialog.h"
#include "app/foundation/screen_fit.h"
#include "app/foundation/status_panels.h"
#include "app/shell/byte_column_delegate.h"
#include "app/shell/shape_widget.h"
#include "core/foundation/atomic_file.h"
#include "core/foundation/cp932.h"
#include "core/foundation/file_helpers.h"
#include "core/foundation/typed_date.h"
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
const ButtonLook kButtonLook{.minimum = {88, 30}};

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

// The column a click on each header section sorts by (the hidden heading sorts nothing).
constexpr std::array<std::optional<ListSortColumn>, 6> kSectionSorts = {ListSortColumn::kNumber,
                                                                        ListSortColumn::kCustomer,
                                                                        ListSortColumn::kTitle,
                                                                        ListSortColumn::kDate,
                                                                        std::nullopt,
                                                                        ListSortColumn::kAmount};

QLineEdit* MakeSearchField(const char* name, const char* placeholder, int width, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setPlaceholderText(QString::fromUtf8(placeholder));
    field->setFixedWidth(width);
    field->setClearButtonEnabled(true);
    return field;
}

QFont ListFont() {
    QFont font(QStringLiteral("IPAGothic"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(kListFontPixels);
    return font;
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

    mlistRet_ = MakeButton("MlistRet", "戻  る", this, kButtonLook);
    mlistRet_->setToolTip(QStringLiteral("メニューに戻ります。"));
    connect(mlistRet_, &QPushButton::clicked, this, &QDialog::reject);
    mlistEnt_ = MakeButton("MlistEnt", "決  定", this, kButtonLook);
    connect(mlistEnt_, &QPushButton::clicked, this, &TFormMenu2::Choose);

    historyButton_ = MakeButton("IssueHistory", "発行履歴", this, kButtonLook);
    historyButton_->setToolTip(QStringLiteral("選んだ見積から発行した書類を見ます。"));
    connect(historyButton_, &QPushButton::clicked, this, &TFormMenu2::ShowIssueHistory);
    csvButton_ = MakeButton("CsvOutput", "CSV出力", this, kButtonLook);
    csvButton_->setToolTip(QStringLiteral("表示中の見積一覧を CSV ファイルに保存します。"));
    connect(csvButton_, &QPushButton::clicked, this, &TFormMenu2::SaveCsv);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(8, 8, 8, 8);
    bar->setSpacing(10);
    bar->addWidget(shape2_);
    bar->addWidget(eMode_);
    bar->addStretch(1);
    bar->addWidget(historyButton_);
    bar->addWidget(csvButton_);
    bar->addWidget(mlistRet_);
    bar->addWidget(mlistEnt_);

    // The column header and the list under it.
    headerModel_ = new QStandardItemModel(0, static_cast<int>(kSections.size()), this);
    headerControl1_ = new QHeaderView(Qt::Horizontal, this);
    headerControl1_->setObjectName("HeaderControl1");
    headerControl1_->setModel(headerModel_);
    // A click on a column's header sorts by it; a second click turns the order round.
    headerControl1_->setSectionsClickable(true);
    headerControl1_->setSortIndicatorShown(true);
    connect(headerControl1_, &QHeaderView::sectionClicked, this, &TFormMenu2::SortBy);
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

    const StatusPanels status = MakeStatusPanels(this, {{{300}, {300}, {50}}});
    statusBar1_ = status.bar;
    statusPanels_ = status.panels;

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bar);
    layout->addWidget(MakeSearchBar());
    layout->addWidget(headerControl1_);
    layout->addWidget(listBox1_, 1);
    layout->addWidget(statusBar1_);

    resize(kWidth, kHeight);
    PlaceOnScreen(this, {kLeft, kTop});
}

QWidget* TFormMenu2::MakeSearchBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName("SearchBar");
    searchText_ = MakeSearchField("SearchText", "お客様名・工事名・場所・番号", 230, bar);
    searchFrom_ = MakeSearchField("SearchFrom", "R8.4.1 など", 110, bar);
    searchTo_ = MakeSearchField("SearchTo", "R9.3.31 など", 110, bar);
    searchMin_ = MakeSearchField("SearchMin", "下限", 100, bar);
    searchMax_ = MakeSearchField("SearchMax", "上限", 100, bar);
    searchIssued_ = new QCheckBox(QStringLiteral("発行済みのみ"), bar);
    searchIssued_->setObjectName("SearchIssued");
    searchCount_ = new QLabel(bar);
    searchCount_->setObjectName("SearchCount");
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(8, 0, 8, 6);
    layout->setSpacing(6);
    layout->addWidget(new QLabel(QStringLiteral("検索"), bar));
    layout->addWidget(searchText_);
    layout->addSpacing(8);
    layout->addWidget(new QLabel(QStringLiteral("日付"), bar));
    layout->addWidget(searchFrom_);
    layout->addWidget(new QLabel(QStringLiteral("～"), bar));
    layout->addWidget(searchTo_);
    layout->addSpacing(8);
    layout->addWidget(new QLabel(QStringLiteral("金額"), bar));
    layout->addWidget(searchMin_);
    layout->addWidget(new QLabel(QStringLiteral("～"), bar));
    layout->addWidget(searchMax_);
    layout->addSpacing(8);
    layout->addWidget(searchIssued_);
    layout->addWidget(searchCount_, 1);
    for (QLineEdit* field : {searchText_, searchFrom_, searchTo_, searchMin_, searchMax_}) {
        connect(field, &QLineEdit::textChanged, this, &TFormMenu2::ApplySearch);
        field->installEventFilter(this);
    }
    connect(searchIssued_, &QCheckBox::toggled, this, &TFormMenu2::ApplySearch);
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        searchText_->setFocus();
        searchText_->selectAll();
    });
    return bar;
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
    // A list shown anew (or built again after a deletion) starts with nothing chosen.
    listBox1_->clear();
    rows_.clear();
    shown_ = ShowEstimateList(program_);
    ApplySearch();
    statusPanels_[1]->clear();
}

void TFormMenu2::ApplySearch() {
    const EstimateListEntry* before = Selected();
    const QString chosenFile = before ? before->fileName : QString();

    EstimateSearch search;
    search.text = searchText_->text();
    search.issuedOnly = searchIssued_->isChecked();
    QStringList unread;  // bounds the user typed that read as nothing
    const auto dateBound = [&unread](QLineEdit* field, const char* what) -> std::optional<QDate> {
        if (field->text().trimmed().isEmpty()) return std::nullopt;
        const std::optional<QDate> date = ReadTypedDate(field->text());
        if (!date) unread << QString::fromUtf8(what);
        return date;
    };
    const auto amountBound = [&unread](QLineEdit* field,
                                       const char* what) -> std::optional<Fixed4> {
        if (field->text().trimmed().isEmpty()) return std::nullopt;
        const std::optional<Fixed4> amount = ReadAmountBound(field->text());
        if (!amount) unread << QString::fromUtf8(what);
        return amount;
    };
    search.from = dateBound(searchFrom_, "日付(から)");
    search.to = dateBound(searchTo_, "日付(まで)");
    search.minAmount = amountBound(searchMin_, "金額(下限)");
    search.maxAmount = amountBound(searchMax_, "金額(上限)");

    rows_ = SearchRows(shown_.entries, search, sortColumn_, sortDescending_);
    listBox1_->setUpdatesEnabled(false);
    listBox1_->clear();
    int chosenRow = -1;
    for (int row : rows_) {
        const EstimateListEntry& entry = shown_.entries[static_cast<std::size_t>(row)].listed;
        auto* item = new QListWidgetItem(Cp932ToQStringLossy(entry.item));
        item->setData(ByteColumnDelegate::kBytesRole,
                      QByteArray(entry.item.data(), static_cast<qsizetype>(entry.item.size())));
        if (!chosenFile.isEmpty() && entry.fileName == chosenFile) chosenRow = listBox1_->count();
        listBox1_->addItem(item);
    }
    listBox1_->setUpdatesEnabled(true);
    // The line the cursor is on is the line chosen: without an earlier choice that is the
    // first, so Enter at once, or Down then Enter, takes the line the user sees marked.
    if (chosenRow < 0 && listBox1_->count() > 0) chosenRow = 0;
    if (chosenRow >= 0) listBox1_->setCurrentRow(chosenRow);

    QString count;
    if (search.IsEmpty() && unread.isEmpty()) {
        count = QStringLiteral("%1 件").arg(rows_.size());
    } else {
        count = QStringLiteral("%1 件 / %2 件中").arg(rows_.size()).arg(shown_.entries.size());
    }
    if (search.from || search.to) {
        int undated = 0;
        for (const SearchableListEntry& e : shown_.entries)
            undated += e.searchable.dateState == EstimateDateState::kUnreadable;
        if (undated > 0)
            count +=
                QStringLiteral("（日付を読めない見積 %1 件は日付の条件に合いません）").arg(undated);
    }
    if (!unread.isEmpty())
        count += QStringLiteral("　%1 を読めません").arg(unread.join(QStringLiteral("・")));
    searchCount_->setText(count);
    QPalette palette = searchCount_->palette();
    palette.setColor(QPalette::WindowText,
                     unread.isEmpty() ? palette.color(QPalette::Text) : QColor(Qt::red));
    searchCount_->setPalette(palette);
}

void TFormMenu2::ClearSearch() {
    for (QLineEdit* field : {searchText_, searchFrom_, searchTo_, searchMin_, searchMax_}) {
        const QSignalBlocker quiet(field);
        field->clear();
    }
    {
        const QSignalBlocker quiet(searchIssued_);
        searchIssued_->setChecked(false);
    }
    ApplySearch();
}

void TFormMenu2::SortBy(int section) {
    if (section < 0 || section >= static_cast<int>(kSectionSorts.size())) return;
    const std::optional<ListSortColumn> column = kSectionSorts[static_cast<std::size_t>(section)];
    if (!column) return;
    sortDescending_ = *column == sortColumn_ ? !sortDescending_ : false;
    sortColumn_ = *column;
    headerControl1_->setSortIndicator(section,
                                      sortDescending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
    ApplySearch();
}

std::vector<EstimateListEntry> TFormMenu2::Entries() const {
    std::vector<EstimateListEntry> entries;
    entries.reserve(rows_.size());
    for (int row : rows_) entries.push_back(shown_.entries[static_cast<std::size_t>(row)].listed);
    return entries;
}

void TFormMenu2::SaveCsv() {
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("CSV出力"), QDir::home().filePath(QStringLiteral("見積一覧.csv")),
        QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty()) return;
    std::string csv = EstimateListCsvHeader();
    for (int row : rows_) csv += EstimateListCsvLine(shown_.entries[static_cast<std::size_t>(row)]);
    ClearFileFailure();
    if (!SaveFileAtomically(path, csv)) {
        QMessageBox::warning(this, QStringLiteral("CSV出力"),
                             QStringLiteral("CSV ファイルを保存できませんでした。\n%1\n"
                                            "保存先のフォルダと空き容量を確かめて下さい。")
                                 .arg(LastFileFailure()));
        return;
    }
    statusPanels_[1]->setText(
        QStringLiteral(" %1 件を保存しました: %2").arg(rows_.size()).arg(path));
}

void TFormMenu2::ShowIssueHistory() {
    const EstimateListEntry* entry = Selected();
    if (entry == nullptr) {
        QMessageBox::information(this, QStringLiteral("発行履歴"),
                                 QString::fromUtf8(kNothingSelectedMessage));
        return;
    }
    const QString number = QString::fromStdString(NumberOfListItem(entry->item));
    IssueHistoryDialog dialog(IssuedArchiveFolder(program_.environment), number,
                              IssuesOf(shown_.archive, number), this);
    dialog.exec();
}

void TFormMenu2::PaintModePanel() {
    const EntryMode mode = program_.shell.entryMode;
    QPalette palette = eMode_->palette();
    palette.setColor(QPalette::Window, FromBgr(mode == EntryMode::kDelete ? kYellow : kAqua));
    eMode_->setPalette(palette);
    eMode_->setCursor(mode == EntryMode::kCopy ? Qt::PointingHandCursor : Qt::ArrowCursor);
    eMode_->setText(QString::fromStdString(ModePanelText(mode)));
}

int TFormMenu2::SelectedRow() const {
    const QList<QListWidgetItem*> selected = listBox1_->selectedItems();
    return selected.isEmpty() ? -1 : listBox1_->row(selected.first());
}

const EstimateListEntry* TFormMenu2::Selected() const {
    const int row = SelectedRow();
    if (row < 0 || row >= static_cast<int>(rows_.size())) return nullptr;
    return &shown_.entries[static_cast<std::size_t>(rows_[static_cast<std::size_t>(row)])].listed;
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
    // Esc in the search bar clears the search (and only then closes the list).
    if (event->type() == QEvent::KeyPress && watched != listBox1_ &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        bool searching = searchIssued_->isChecked();
        for (QLineEdit* field : {searchText_, searchFrom_, searchTo_, searchMin_, searchMax_})
            searching = searching || !field->text().isEmpty();
        if (searching) {
            ClearSearch();
            return true;
        }
    }
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
