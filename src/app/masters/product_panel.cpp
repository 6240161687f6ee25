#include "app/masters/product_panel.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/foundation/form_button.h"
#include "app/foundation/typed_line_edit.h"
#include "app/masters/master_list_view.h"
#include "app/masters/master_widgets.h"
#include "app/masters/unit_panel.h"
#include "core/masters/name_registration.h"
#include "core/masters/registration_rules.h"

namespace quilto {
namespace {

QLineEdit* MakeEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QLabel* FieldLabel(const char* caption, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLabel* RedPanel(const char* name, QWidget* parent) {
    QLabel* panel = MakeMasterPanel(name, parent);
    QPalette red = panel->palette();
    red.setColor(QPalette::WindowText, QColor(Qt::red));
    panel->setPalette(red);
    return panel;
}

QString Shown(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

ProductPanel::ProductPanel(const std::function<void(const QString&)>& refused, QWidget* parent)
    : QFrame(parent) {
    setObjectName("SyoGroup");
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(QStringLiteral("< 商 品 >"), this);
    caption->setObjectName("SyoGroupCaption");
    hint = RedPanel("HintPanel", this);
    auto* captionRow = new QHBoxLayout;
    captionRow->addWidget(caption);
    captionRow->addStretch(1);
    captionRow->addWidget(hint);

    header = MakeListHeader(this);
    list = new MasterListView("S_LB1", kRegistrationGreen, kRegistrationGrey, this);
    list->setMinimumWidth(2 * MasterListDelegate::kMargin + 63 * MasterListDelegate::kCellWidth +
                          24);
    counter = new QLabel(this);
    counter->setObjectName("S_kensu");
    counter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    code = MakeEdit("Edit1", this);
    code->setReadOnly(true);
    code->setMaxLength(kProductCodeWidth);
    code->setToolTip(QStringLiteral("コードは自動設定です。"));
    code->hide();
    name = MakeMasterTextEdit("Edit2", kProductNameFieldBytes, QStringLiteral("商品名"), refused,
                              this);
    specification = MakeMasterTextEdit("Edit3", kSpecificationFieldBytes, QStringLiteral("規格"),
                                       refused, this);
    cost = MakeEdit("MaskEdit1", this);
    price = MakeEdit("MaskEdit2", this);
    for (QLineEdit* field : {cost, price}) {
        field->setMaxLength(kPriceFieldCharacters);
        field->setAlignment(Qt::AlignRight);
        field->setMaximumWidth(140);
        field->installEventFilter(this);
    }
    remarks =
        MakeMasterTextEdit("EditBiko1", kRemarksFieldBytes, QStringLiteral("備考"), refused, this);
    QLabel* required = RedPanel("RequiredPanel", this);
    required->setText(QStringLiteral("必須入力"));
    units = new UnitPanel(refused, this);

    auto* fields = new QGridLayout;
    fields->addWidget(FieldLabel("商品名", this), 0, 0);
    fields->addWidget(name, 0, 1, 1, 2);
    fields->addWidget(required, 0, 3);
    fields->addWidget(FieldLabel("規  格", this), 1, 0);
    fields->addWidget(specification, 1, 1, 1, 2);
    fields->addWidget(units, 2, 0, 1, 4);
    fields->addWidget(FieldLabel("仕入原価", this), 3, 0);
    fields->addWidget(cost, 3, 1);
    fields->addWidget(FieldLabel("販売単価", this), 4, 0);
    fields->addWidget(price, 4, 1);
    fields->addWidget(FieldLabel("備    考", this), 5, 0);
    fields->addWidget(remarks, 5, 1, 1, 2);
    fields->setColumnStretch(2, 1);

    newButton = MakeButton("S_new", "新 規", this, kRegistrationButtonLook);
    changeButton = MakeButton("S_chg", "訂 正", this, kRegistrationButtonLook);
    saveButton = MakeButton("S_sav", "保 存", this, kRegistrationButtonLook);
    deleteButton = MakeButton("S_del", "削  除", this, kRegistrationButtonLook);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {newButton, changeButton, saveButton, deleteButton})
        buttons->addWidget(button);

    layout->addLayout(captionRow);
    layout->addWidget(header);
    layout->addWidget(list, 1);
    layout->addWidget(counter);
    layout->addLayout(fields);
    layout->addLayout(buttons);
}

void ProductPanel::ClearFields() {
    code->clear();
    for (QLineEdit* edit : {static_cast<QLineEdit*>(name), static_cast<QLineEdit*>(specification),
                            static_cast<QLineEdit*>(remarks)}) {
        edit->clear();
    }
    units->dropDown->setEditText({});
    cost->setText(Shown(PriceDisplayText("0")));
    price->setText(Shown(PriceDisplayText("0")));
}

bool ProductPanel::eventFilter(QObject* watched, QEvent* event) {
    auto* field = static_cast<QLineEdit*>(watched);
    switch (event->type()) {
        case QEvent::FocusIn:
            field->setText(Shown(PriceEditText(field->text().toStdString())));
            QTimer::singleShot(0, field, &QLineEdit::selectAll);
            break;
        case QEvent::FocusOut:
            field->setText(Shown(PriceDisplayText(field->text().toStdString())));
            break;
        case QEvent::KeyPress: {
            const QString typed = static_cast<QKeyEvent*>(event)->text();
            if (!typed.isEmpty() && PriceFieldRefuses(typed.toUcs4().front())) return true;
            break;
        }
        default:
            break;
    }
    return QFrame::eventFilter(watched, event);
}

}  // namespace quilto
