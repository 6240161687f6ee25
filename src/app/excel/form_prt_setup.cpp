#include "app/excel/form_prt_setup.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/foundation/form_button.h"
#include "app/foundation/screen_fit.h"
#include "core/excel/printers.h"
#include "core/foundation/questions.h"

namespace quilto {

TFormPrtSetup::TFormPrtSetup(PrinterSource& printers, Questions& questions, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      printers_(printers),
      questions_(questions) {
    setObjectName("FormPrtSetup");
    setWindowTitle(QStringLiteral("使用プリンタ設定"));
    setModal(true);

    auto* listGroup = new QGroupBox(QStringLiteral("< 使用可能プリンター一覧 >"), this);
    listBox1_ = new QListWidget(listGroup);
    listBox1_->setObjectName("ListBox1");
    listBox1_->setSelectionMode(QAbstractItemView::SingleSelection);
    (new QVBoxLayout(listGroup))->addWidget(listBox1_);

    auto* defaultGroup = new QGroupBox(QStringLiteral("< 通常使用するプリンタ >"), this);
    defPrt_ = new QLineEdit(defaultGroup);
    defPrt_->setObjectName("DefPrt");
    defPrt_->setReadOnly(true);
    defPrt_->setFocusPolicy(Qt::NoFocus);
    (new QVBoxLayout(defaultGroup))->addWidget(defPrt_);

    const ButtonLook look{.minimum = {110, 30}};
    auto* bitBtn1 = MakeButton("BitBtn1", QStringLiteral("プリンタ決定"), this, look);
    auto* bitBtn2 = MakeButton("BitBtn2", QStringLiteral("閉じる"), this, look);
    connect(bitBtn1, &QPushButton::clicked, this, &TFormPrtSetup::ChoosePrinter);
    connect(bitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(listBox1_, &QListWidget::itemDoubleClicked, this, &TFormPrtSetup::ChoosePrinter);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bitBtn1);
    buttons->addWidget(bitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(listGroup, 1);
    layout->addWidget(defaultGroup);
    layout->addLayout(buttons);
    resize(420, 360);
}

void TFormPrtSetup::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    PlaceOnScreen(this, pos());
    listBox1_->clear();
    for (const std::string& name : printers_.Printers()) {
        listBox1_->addItem(QString::fromStdString(name));
    }
    const QString current = QString::fromStdString(printers_.DefaultPrinter());
    const QList<QListWidgetItem*> found = listBox1_->findItems(current, Qt::MatchExactly);
    if (!current.isEmpty() && !found.isEmpty()) listBox1_->setCurrentItem(found.first());
    defPrt_->setText(current);
    listBox1_->setFocus();
}

void TFormPrtSetup::ChoosePrinter() {
    const QList<QListWidgetItem*> selected = listBox1_->selectedItems();
    if (selected.isEmpty()) {
        questions_.Inform("ListBoxで目的のプリンタを選択して下さい");
        return;
    }
    const QString name = selected.first()->text();
    std::string error;
    if (!printers_.MakeDefault(name.toStdString(), &error)) {
        questions_.Inform(error);
        return;
    }
    defPrt_->setText(name);
    accept();
}

}  // namespace quilto
