#include "app/foundation/issue_history_dialog.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/foundation/screen_fit.h"

namespace quilto {

IssueHistoryDialog::IssueHistoryDialog(const QString& archiveFolder, const QString& number,
                                       std::vector<IssueEntry> issues, QWidget* parent)
    : QDialog(parent), archiveFolder_(archiveFolder), issues_(std::move(issues)) {
    setObjectName("IssueHistory");
    setWindowTitle(QStringLiteral("発行履歴 (%1)").arg(number));
    std::reverse(issues_.begin(), issues_.end());

    auto* caption = new QLabel(
        issues_.empty()
            ? QStringLiteral("この見積から発行した書類はありません。")
            : QStringLiteral(
                  "この見積から発行した書類 %1 件（新しい順）。ダブルクリックで開きます。")
                  .arg(issues_.size()),
        this);
    table_ = new QTableWidget(static_cast<int>(issues_.size()), 4, this);
    table_->setObjectName("IssueTable");
    table_->setHorizontalHeaderLabels({QStringLiteral("発行日時"), QStringLiteral("発行書類"),
                                       QStringLiteral("金額(税込)"), QStringLiteral("ファイル")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < static_cast<int>(issues_.size()); ++row) {
        const IssueEntry& e = issues_[static_cast<std::size_t>(row)];
        const QStringList cells = {
            e.issuedAt.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")), e.documents,
            QLocale(QLocale::Japanese).toString(e.amount.toLongLong()), e.fileName};
        for (int col = 0; col < cells.size(); ++col)
            table_->setItem(row, col, new QTableWidgetItem(cells[col]));
    }
    table_->resizeColumnsToContents();
    if (!issues_.empty()) table_->selectRow(0);
    connect(table_, &QTableWidget::cellDoubleClicked, this, &IssueHistoryDialog::OpenChosen);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* open = buttons->addButton(QStringLiteral("開く"), QDialogButtonBox::ActionRole);
    open->setObjectName("OpenIssue");
    open->setEnabled(!issues_.empty());
    connect(open, &QPushButton::clicked, this, &IssueHistoryDialog::OpenChosen);
    QPushButton* close = buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(table_, 1);
    layout->addWidget(buttons);
    resize(720, 360);
    PlaceOnScreen(this, pos());
}

void IssueHistoryDialog::OpenChosen() {
    const int row = table_->currentRow();
    if (row < 0 || row >= static_cast<int>(issues_.size())) return;
    const QString path =
        QDir(archiveFolder_).filePath(issues_[static_cast<std::size_t>(row)].fileName);
    if (!QFileInfo::exists(path)) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("保管したPDFがありません。\n%1").arg(path));
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        QMessageBox::warning(
            this, windowTitle(),
            QStringLiteral("PDFを開けませんでした。PDFを表示するプログラム（evince など）と "
                           "xdg-utils を入れて下さい。\n%1")
                .arg(path));
}

}  // namespace quilto
