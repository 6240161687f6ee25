#include "app/masters/construction_panel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/foundation/form_button.h"
#include "app/foundation/typed_line_edit.h"
#include "app/masters/master_list_view.h"
#include "app/masters/master_widgets.h"
#include "core/masters/name_registration.h"

namespace quilto {

ConstructionPanel::ConstructionPanel(const QString& nameField,
                                     const std::function<void(const QString&)>& refused,
                                     QWidget* parent)
    : QFrame(parent) {
    setObjectName("KojiGroup");
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(this);
    caption = new QLabel(this);
    caption->setObjectName("KojiGroupCaption");
    listHeading = MakeMasterPanel("KojiListHeading", this);
    list = new MasterListView("K_LB1", kRegistrationGrey, kRegistrationNavy, this);
    list->setMinimumWidth(2 * MasterListDelegate::kMargin +
                          kConstructionNameWidth * MasterListDelegate::kCellWidth + 24);
    counter = new QLabel(this);
    counter->setObjectName("K_kensu");
    counter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    nameLabel = new QLabel(this);
    name = MakeMasterTextEdit("K_NM1", kConstructionNameFieldBytes, nameField, refused, this);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(nameLabel);
    nameRow->addWidget(name, 1);

    newButton = MakeButton("K_new", "新規", this, kRegistrationButtonLook);
    changeButton = MakeButton("K_chg", "訂正", this, kRegistrationButtonLook);
    saveButton = MakeButton("K_sav", "保存", this, kRegistrationButtonLook);
    deleteButton = MakeButton("K_del", "削除", this, kRegistrationButtonLook);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {newButton, changeButton, saveButton, deleteButton})
        buttons->addWidget(button);

    layout->addWidget(caption);
    layout->addWidget(listHeading);
    layout->addWidget(list, 1);
    layout->addWidget(counter);
    layout->addLayout(nameRow);
    layout->addLayout(buttons);
}

}  // namespace quilto
