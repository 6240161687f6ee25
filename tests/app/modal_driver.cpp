#include "app/modal_driver.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

namespace quilto::test {
namespace {
constexpr int kPollMs = 10;
constexpr int kMaxPolls = 500;     // a modal window shows within 5 s
constexpr int kWatchdogMs = 5000;  // and the action closes it within 5 s
}  // namespace

ModalDriver::ModalDriver(std::function<void(QWidget*)> action) : action_(std::move(action)) {
    QObject::connect(&poll_, &QTimer::timeout, [this] { Poll(); });
    poll_.start(kPollMs);
    watchdog_.setSingleShot(true);
    QObject::connect(&watchdog_, &QTimer::timeout, [this] {
        if (modal_ && modal_->isVisible()) {
            ADD_FAILURE() << "the modal window " << modal_->objectName().toStdString()
                          << " was still open; closing it";
            modal_->close();
        }
    });
}

ModalDriver::~ModalDriver() {
    if (!ran_) ADD_FAILURE() << "no modal window showed";
}

void ModalDriver::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) {
        if (++polls_ >= kMaxPolls) poll_.stop();
        return;
    }
    poll_.stop();
    // Give the window the activation a user's window manager would give it.
    modal->activateWindow();
    // (QTest::qWaitForWindowActive is not enough: a dialog counts as active as soon as its
    // parent is, before it takes the keyboard.)
    if (!QTest::qWaitFor([modal] { return QApplication::activeWindow() == modal; }, 1000)) {
        ADD_FAILURE() << "the modal window did not become active";
    }
    modal_ = modal;
    ran_ = true;
    watchdog_.start(kWatchdogMs);
    action_(modal);
}

void PressKey(Qt::Key key) {
    QWidget* target = QApplication::focusWidget();
    if (!target) target = QApplication::activeWindow();
    if (!target) {
        ADD_FAILURE() << "no window is active to take the key";
        return;
    }
    QTest::keyClick(target, key);
}

}  // namespace quilto::test
