#pragma once

// Drives a modal dialog from inside its own event loop: the action runs on the next modal
// window as soon as it shows. A dialog the action leaves open is closed after a while and
// the test fails, so a broken dialog cannot hang the whole run.

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace quilto::test {

class ModalDriver {
  public:
    explicit ModalDriver(std::function<void(QWidget* modal)> action);
    ~ModalDriver();  // fails the test when no modal window ever showed
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

  private:
    void Poll();

    std::function<void(QWidget*)> action_;
    QTimer poll_;
    QTimer watchdog_;
    QPointer<QWidget> modal_;
    int polls_ = 0;
    bool ran_ = false;
};

// A key pressed and released where the user's key would go: the focused widget of the
// active window.
void PressKey(Qt::Key key);

template <typename T>
T* Child(QWidget* parent, const char* objectName) {
    return parent->findChild<T*>(QString::fromLatin1(objectName));
}

}  // namespace quilto::test
