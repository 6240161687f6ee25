#pragma once

// The push button every form builds alike: named after its component, so that tests and
// scripts find it, and never pressed by Enter, which moves on to the next field in these
// forms; a button is pressed by a click, Space or its own key.

#include <QSize>
#include <QString>

class QPushButton;
class QWidget;

namespace quilto {

struct ButtonLook {
    QSize minimum{0, 0};         // the least size the layout may give it
    const char* hint = nullptr;  // the tool tip (UTF-8); none when null
};

QPushButton* MakeButton(const char* name, const QString& caption, QWidget* parent,
                        const ButtonLook& look = {});

}  // namespace quilto
