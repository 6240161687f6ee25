#include "app/foundation/folder_question.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "core/settings/places.h"

namespace quilto {

FolderQuestion::FolderQuestion(const QString& caption, const QString& message,
                               const QString& initial, QWidget* parent)
    : QDialog(parent) {
    setObjectName("AskFolder");
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(message, this);
    text->setObjectName("FolderMessage");
    layout->addWidget(text);

    auto* row = new QHBoxLayout;
    folder_ = new QLineEdit(initial, this);
    folder_->setObjectName("FolderEdit");
    folder_->setMinimumWidth(420);
    auto* browse = new QPushButton(QStringLiteral("参照..."), this);
    browse->setObjectName("FolderBrowse");
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &FolderQuestion::Browse);
    row->addWidget(folder_, 1);
    row->addWidget(browse);
    layout->addLayout(row);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString FolderQuestion::Folder() const { return folder_->text().trimmed(); }

void FolderQuestion::Browse() {
    // The folder proposed need not exist yet: the browser starts at its nearest ancestor.
    QString start = Folder();
    while (!start.isEmpty() && !QFileInfo(start).isDir()) {
        const QString parent = QFileInfo(start).absolutePath();
        if (parent == start) break;
        start = parent;
    }
    QFileDialog dialog(this, windowTitle(), start);
    dialog.setObjectName("FolderBrowser");
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    // Qt's own dialog: its side bar shows the places below, the desktop's may not.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    QList<QUrl> places;
    for (const Place& place : CurrentPlaces()) places.append(QUrl::fromLocalFile(place.path));
    dialog.setSidebarUrls(places);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    folder_->setText(dialog.selectedFiles().constFirst());
}

}  // namespace quilto
