#pragma once

// With QUILTO_SCREENSHOT_DIR set, a test saves what a window shows there, to be looked at
// by eye: on a real display (xcb) the whole screen, so that the window's place is seen too.

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <cstdlib>

namespace quilto::test {

inline void SaveScreenshot(QWidget* window, const char* name) {
    const char* dir = std::getenv("QUILTO_SCREENSHOT_DIR");
    if (!dir) return;
    // The X server shows what was painted: the window is on the screen and painted in full
    // before the picture is taken.
    if (!QTest::qWaitForWindowExposed(window)) return;
    window->repaint();
    const QPixmap picture =
        QGuiApplication::platformName() == "xcb" ? window->screen()->grabWindow(0) : window->grab();
    picture.save(QDir(QString::fromLocal8Bit(dir)).filePath(QString::fromLatin1(name)));
}

}  // namespace quilto::test
