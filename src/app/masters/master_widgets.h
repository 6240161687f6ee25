#pragma once

// Widgets the master windows build alike: text fields that count CP932 bytes, panels named
// after their component and the column header above a master list.

#include <QColor>
#include <QString>
#include <functional>
#include <initializer_list>
#include <utility>

#include "app/foundation/form_button.h"

class QHeaderView;
class QLabel;
class QWidget;

namespace quilto {

class TypedLineEdit;

// The name registration's list colours and the least size of its buttons.
inline const QColor kRegistrationGreen{0, 128, 0};
inline const QColor kRegistrationGrey{128, 128, 128};
inline const QColor kRegistrationNavy{0, 0, 128};
inline const ButtonLook kRegistrationButtonLook{.minimum = {0, 28}};

// A text field of at most maxBytes CP932 bytes; field names it when a character is refused,
// which refused is told.
TypedLineEdit* MakeMasterTextEdit(const char* name, int maxBytes, const QString& field,
                                  const std::function<void(const QString&)>& refused,
                                  QWidget* parent);
// A sunken panel with centred text.
QLabel* MakeMasterPanel(const char* name, QWidget* parent);
// A fixed header of left-aligned sections; SetHeaderSections gives it its sections.
QHeaderView* MakeListHeader(QWidget* parent);
void SetHeaderSections(QHeaderView* header,
                       std::initializer_list<std::pair<QString, int>> sections);

}  // namespace quilto
