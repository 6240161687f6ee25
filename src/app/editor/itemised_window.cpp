#include "app/editor/itemised_window.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "core/foundation/cp932.h"
#include "core/foundation/fixed4_format.h"
#include "core/foundation/text_bytes.h"

namespace quilto {

namespace {

constexpr int kNameColumn = 0;
constexpr int kTotalColumn = 1 + kCostColumns;
constexpr int kDaysColumn = kTotalColumn + 1;

QString Money(Fixed4 value, bool blankWhenZero) {
    if (blankWhenZero && value.raw == 0) return {};
    return QString::fromStdString(Trimmed(DisplayNumber(value, 16, 0, true)));
}

QTableWidgetItem* Item(const QString& text, bool number, bool bold = false) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (bold) {
        QFont font = item->font();
        font.setBold(true);
        item->setFont(font);
    }
    return item;
}

}  // namespace

ItemisedWindow::ItemisedWindow(std::function<ItemisedEstimate()> itemise, QWidget* parent)
    : QDialog(parent), itemise_(std::move(itemise)) {
    setObjectName("FormItemised");
    setWindowTitle(QStringLiteral("材料費等内訳"));
    setModal(false);
    table_ = new QTableWidget(this);
    table_->setObjectName("ItemisedTable");
    QStringList headers = {QStringLiteral("工種")};
    for (int k = 1; k <= kCostColumns; ++k)
        headers << QString::fromUtf8(CostClassName(static_cast<CostClass>(k)));
    headers << QStringLiteral("合計") << QStringLiteral("作業日数");
    table_->setColumnCount(static_cast<int>(headers.size()));
    table_->setHorizontalHeaderLabels(headers);
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setColumnWidth(kNameColumn, 220);
    for (int col = 1; col <= kTotalColumn; ++col) table_->setColumnWidth(col, 100);
    table_->setColumnWidth(kDaysColumn, 70);
    note_ = new QLabel(this);
    note_->setObjectName("ItemisedNote");
    note_->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_, 1);
    layout->addWidget(note_);
    pending_ = new QTimer(this);
    pending_->setSingleShot(true);
    pending_->setInterval(0);
    connect(pending_, &QTimer::timeout, this, &ItemisedWindow::Refresh);
    resize(1040, 480);
}

void ItemisedWindow::RefreshSoon() {
    if (isVisible()) pending_->start();
}

void ItemisedWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Refresh();
}

void ItemisedWindow::Refresh() {
    const ItemisedEstimate itemised = itemise_();
    table_->setRowCount(static_cast<int>(itemised.rows.size()) + 1);
    int row = 0;
    for (const ItemisedRow& line : itemised.rows) {
        const bool discount = line.kind == ItemisedRowKind::Discount;
        QString name = Cp932ToQStringLossy(Trimmed(line.name));
        if (discount)
            name = QStringLiteral("　") + (name.isEmpty() ? QStringLiteral("値引") : name);
        table_->setItem(row, kNameColumn, Item(name, false));
        for (int k = 0; k < kCostColumns; ++k) {
            table_->setItem(row, 1 + k,
                            Item(Money(line.classes[static_cast<std::size_t>(k)], true), true));
        }
        table_->setItem(row, kTotalColumn, Item(Money(line.total, false), true));
        table_->setItem(
            row, kDaysColumn,
            Item(line.days.raw == 0 ? QString() : QString::fromStdString(Fixed4ToText(line.days)),
                 true));
        ++row;
    }
    table_->setItem(row, kNameColumn, Item(QStringLiteral("合　　計"), false, true));
    for (int k = 0; k < kCostColumns; ++k) {
        table_->setItem(
            row, 1 + k,
            Item(Money(itemised.classes[static_cast<std::size_t>(k)], false), true, true));
    }
    table_->setItem(row, kTotalColumn, Item(Money(itemised.total, false), true, true));
    table_->setItem(row, kDaysColumn, Item({}, true));

    QString note = QStringLiteral("消費税 %1 円、税込合計 %2 円。")
                       .arg(Money(itemised.tax, false), Money(itemised.TotalWithTax(), false));
    if (itemised.unclassified.raw != 0) {
        note += QStringLiteral(
                    "費目を分類していない明細の %1 円は材料費に含めています"
                    "（明細書の「区分」欄で分類できます）。")
                    .arg(Money(itemised.unclassified, false));
    }
    note_->setText(note);
}

}  // namespace quilto
