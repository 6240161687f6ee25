#include "app/foundation/form_button.h"

#include <QPushButton>

namespace quilto {

QPushButton* MakeButton(const char* name, const QString& caption, QWidget* parent,
                        const ButtonLook& look) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    button->setMinimumSize(look.minimum);
    if (look.hint != nullptr) button->setToolTip(QString::fromUtf8(look.hint));
    return button;
}

}  // namespace quilto
