#include "app/masters/unit_panel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/foundation/form_button.h"
#include "app/foundation/typed_line_edit.h"
#include "app/masters/master_widgets.h"
#include "core/masters/name_registration.h"

namespace quilto {

UnitPanel::UnitPanel(const std::function<void(const QString&)>& refused, QWidget* parent)
    : QFrame(parent) {
    setObjectName("UnitGroup");
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    auto* caption = new QLabel(QStringLiteral("< 単位 >"), this);
    label = MakeMasterPanel("UnitEBL", this);
    label->setText(QStringLiteral("単  位"));
    label->setFrameShadow(QFrame::Raised);
    label->setToolTip(QStringLiteral("ここをクリックしたら単位登録ができます。"));
    label->setCursor(Qt::PointingHandCursor);
    label->setMinimumWidth(70);
    dropDown = new QComboBox(this);
    dropDown->setObjectName("CBUnit");
    dropDown->setEditable(true);
    dropDown->setInsertPolicy(QComboBox::NoInsert);
    dropDown->setMinimumWidth(90);
    // Its width is its own, not that of the units it lists, so refilling it after a save
    // never widens the window.
    dropDown->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    dropDown->setMinimumContentsLength(6);
    edit = MakeMasterTextEdit("", kUnitFieldBytes, QStringLiteral("単位"), refused, dropDown);
    dropDown->setLineEdit(edit);
    counter = new QLabel(this);
    counter->setObjectName("U_Kensu");
    memo = new QLabel(this);
    memo->setObjectName("UnitMemo");
    buttons = new QWidget(this);
    buttons->setObjectName("UnitBtn");
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(0, 0, 0, 0);
    saveButton = MakeButton("U_sav", "保 存", buttons, kRegistrationButtonLook);
    deleteButton = MakeButton("U_del", "削  除", buttons, kRegistrationButtonLook);
    row->addWidget(saveButton);
    row->addWidget(deleteButton);
    layout->addWidget(caption);
    layout->addWidget(label);
    layout->addWidget(dropDown);
    layout->addWidget(counter);
    layout->addWidget(memo, 1);
    layout->addWidget(buttons, 1);
}

void UnitPanel::ShowButtons(bool shown) {
    memo->setVisible(!shown);
    buttons->setVisible(shown);
}

bool UnitPanel::ButtonsShown() const { return buttons->isVisible(); }

bool UnitPanel::Holds(const QWidget* widget) const {
    return widget == dropDown || widget == dropDown->lineEdit() || widget == saveButton ||
           widget == deleteButton;
}

}  // namespace quilto
