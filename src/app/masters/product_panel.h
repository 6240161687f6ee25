#pragma once

// The right panel of the name registration: the products of the selected construction
// name, the fields of one product with the units inside them, and the four buttons. It
// builds and lays out its widgets and keeps the two price fields in their forms (plain
// digits while edited, grouped when shown; the characters a price refuses are the core's
// rule); the window binds the rest.

#include <QFrame>
#include <functional>

class QHeaderView;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quilto {

class MasterListView;
class TypedLineEdit;
class UnitPanel;

class ProductPanel : public QFrame {
  public:
    ProductPanel(const std::function<void(const QString&)>& refused, QWidget* parent);

    // Every field blank, the prices "0".
    void ClearFields();

    QLabel* hint = nullptr;
    QHeaderView* header = nullptr;
    MasterListView* list = nullptr;  // S_LB1
    QLabel* counter = nullptr;
    QLineEdit* code = nullptr;  // Edit1, hidden: the code is given, never typed
    TypedLineEdit* name = nullptr;
    TypedLineEdit* specification = nullptr;
    UnitPanel* units = nullptr;
    QLineEdit* cost = nullptr;
    QLineEdit* price = nullptr;
    TypedLineEdit* remarks = nullptr;
    QPushButton* newButton = nullptr;
    QPushButton* changeButton = nullptr;
    QPushButton* saveButton = nullptr;
    QPushButton* deleteButton = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace quilto
