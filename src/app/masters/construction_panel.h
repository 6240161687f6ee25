#pragma once

// The left panel of the name registration: the construction names, their counter, the
// name being typed and the four buttons. It builds and lays out its widgets; the window
// binds them and decides nothing here.

#include <QFrame>
#include <functional>

class QLabel;
class QPushButton;

namespace quilto {

class MasterListView;
class TypedLineEdit;

class ConstructionPanel : public QFrame {
  public:
    // nameField: how a refused character names the name field; refused is told.
    ConstructionPanel(const QString& nameField, const std::function<void(const QString&)>& refused,
                      QWidget* parent);

    QLabel* caption = nullptr;
    QLabel* listHeading = nullptr;
    MasterListView* list = nullptr;  // K_LB1
    QLabel* counter = nullptr;
    QLabel* nameLabel = nullptr;
    TypedLineEdit* name = nullptr;  // K_NM1
    QPushButton* newButton = nullptr;
    QPushButton* changeButton = nullptr;
    QPushButton* saveButton = nullptr;
    QPushButton* deleteButton = nullptr;
};

}  // namespace quilto
