#pragma once

// Enter, Tab, the arrows and Esc in the name registration. Every key a watched field
// receives is told to the core's key rules (RegistrationKeyAction) as the kind of field
// and the key; what they answer is done here (a list hands the focus to its edit field, a
// button is pressed) or handed to the window (closing, moving on, Enter in the remarks).

#include <QObject>
#include <functional>

#include "core/masters/registration_rules.h"

class QWidget;

namespace quilto {

class UnitPanel;

class RegistrationKeys : public QObject {
  public:
    // The fields whose keys differ from an ordinary field's.
    struct Fields {
        QWidget* constructionList = nullptr;
        QWidget* constructionName = nullptr;
        QWidget* productList = nullptr;
        QWidget* productName = nullptr;
        QWidget* remarks = nullptr;
        const UnitPanel* units = nullptr;
    };
    struct Actions {
        std::function<void()> close;
        std::function<void(bool forward)> move;
        std::function<void()> enterInRemarks;
    };

    RegistrationKeys(const Fields& fields, Actions actions, QObject* parent);

    // The keys of widget go through the rules.
    void Watch(QWidget* widget);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    RegistrationField FieldOf(const QObject* watched) const;
    static RegistrationKey KeyOf(int key);

    Fields fields_;
    Actions actions_;
};

}  // namespace quilto
