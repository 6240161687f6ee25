#pragma once

// The version information window. It is shown without waiting, so the main menu stays
// usable, and the main menu's timer closes it again.

#include <QDialog>

namespace quilto {

class TFormAbout : public QDialog {
    Q_OBJECT

  public:
    explicit TFormAbout(QWidget* parent = nullptr);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace quilto
