#include "app/shell/form_about.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/foundation/app_setup.h"

namespace quilto {

TFormAbout::TFormAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName("FormAbout");
    setWindowTitle(QStringLiteral("バージョン情報"));
    setModal(false);

    auto* name = new QLabel(QString::fromUtf8(kApplicationName), this);
    name->setObjectName("ProductName");
    QFont large = name->font();
    large.setPointSize(large.pointSize() + 8);
    large.setBold(true);
    name->setFont(large);
    name->setAlignment(Qt::AlignCenter);

    auto* version = new QLabel(QStringLiteral("見積作成  バージョン %1").arg(QUILTO_VERSION), this);
    version->setObjectName("Version");
    version->setAlignment(Qt::AlignCenter);

    auto* note = new QLabel(
        QStringLiteral("建設業向け見積書作成プログラム\nこの画面は 30 秒で自動的に閉じます。"),
        this);
    note->setObjectName("Comments");
    note->setAlignment(Qt::AlignCenter);

    auto* ok = new QPushButton(QStringLiteral("Ｏ Ｋ"), this);
    ok->setObjectName("OKButton");
    connect(ok, &QPushButton::clicked, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->setSpacing(10);
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addWidget(note);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    setFixedSize(sizeHint().expandedTo(QSize(300, 0)));
}

void TFormAbout::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace quilto
