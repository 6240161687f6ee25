#pragma once

// The units inside the product panel: the drop-down that takes a product's unit, its
// counter, and the save and delete buttons that stand in for the memo while the units are
// being edited (a click on the "単  位" label opens that). It builds and lays out its
// widgets; the window binds them.

#include <QFrame>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

namespace quilto {

class TypedLineEdit;

class UnitPanel : public QFrame {
  public:
    UnitPanel(const std::function<void(const QString&)>& refused, QWidget* parent);

    // The buttons instead of the memo while the units are being edited.
    void ShowButtons(bool shown);
    bool ButtonsShown() const;
    // The drop-down, its text and its two buttons: what unit editing stays inside.
    bool Holds(const QWidget* widget) const;

    QLabel* label = nullptr;        // UnitEBL
    QComboBox* dropDown = nullptr;  // CBUnit
    TypedLineEdit* edit = nullptr;  // its text
    QLabel* counter = nullptr;
    QLabel* memo = nullptr;
    QWidget* buttons = nullptr;
    QPushButton* saveButton = nullptr;
    QPushButton* deleteButton = nullptr;
};

}  // namespace quilto
