#include "app/masters/registration_keys.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "app/masters/unit_panel.h"

namespace quilto {

RegistrationKeys::RegistrationKeys(const Fields& fields, Actions actions, QObject* parent)
    : QObject(parent), fields_(fields), actions_(std::move(actions)) {}

void RegistrationKeys::Watch(QWidget* widget) { widget->installEventFilter(this); }

bool RegistrationKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* keyEvent = static_cast<QKeyEvent*>(event);
    const RegistrationField field = FieldOf(watched);
    const bool dropDownOpen =
        field == RegistrationField::kUnitDropDown && fields_.units->dropDown->view()->isVisible();
    const KeyAction action = RegistrationKeyAction(field, KeyOf(keyEvent->key()), dropDownOpen);
    switch (action) {
        case KeyAction::kPass:
            return false;
        case KeyAction::kSwallow:
            return true;
        case KeyAction::kClose:
            actions_.close();
            return true;
        case KeyAction::kNext:
        case KeyAction::kPrevious:
            actions_.move(action == KeyAction::kNext);
            return true;
        case KeyAction::kToEditField:
            (watched == fields_.constructionList ? fields_.constructionName : fields_.productName)
                ->setFocus();
            return true;
        case KeyAction::kClick:
            static_cast<QPushButton*>(watched)->click();
            return true;
        case KeyAction::kEnterInRemarks:
            actions_.enterInRemarks();
            return true;
    }
    return false;
}

RegistrationField RegistrationKeys::FieldOf(const QObject* watched) const {
    const UnitPanel& units = *fields_.units;
    if (watched == units.dropDown || watched == units.dropDown->lineEdit())
        return RegistrationField::kUnitDropDown;
    if (watched == fields_.constructionList) return RegistrationField::kConstructionList;
    if (watched == fields_.productList) return RegistrationField::kProductList;
    if (watched == fields_.constructionName) return RegistrationField::kConstructionName;
    if (watched == fields_.productName) return RegistrationField::kProductName;
    if (watched == fields_.remarks) return RegistrationField::kRemarks;
    if (qobject_cast<const QPushButton*>(watched)) return RegistrationField::kButton;
    return RegistrationField::kOtherField;
}

RegistrationKey RegistrationKeys::KeyOf(int key) {
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return RegistrationKey::kEnter;
        case Qt::Key_Tab:
            return RegistrationKey::kTab;
        case Qt::Key_Down:
            return RegistrationKey::kDown;
        case Qt::Key_Up:
            return RegistrationKey::kUp;
        case Qt::Key_Escape:
            return RegistrationKey::kEscape;
        default:
            return RegistrationKey::kOther;
    }
}

}  // namespace quilto
