#include "app/foundation/screen_fit.h"

#include <QMargins>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace quilto {

QRect FitIntoArea(const QRect& frame, const QRect& area) {
    QRect fitted = frame;
    fitted.setWidth(std::min(frame.width(), area.width()));
    fitted.setHeight(std::min(frame.height(), area.height()));
    const int left = std::clamp(fitted.left(), area.left(), area.right() - fitted.width() + 1);
    const int top = std::clamp(fitted.top(), area.top(), area.bottom() - fitted.height() + 1);
    fitted.moveTopLeft({left, top});
    return fitted;
}

void PlaceOnScreen(QWidget* window, QPoint wanted) {
    const QScreen* screen = window->screen();
    if (screen == nullptr) {
        window->move(wanted);
        return;
    }
    // Until the window manager has decorated a window, its frame is not known: right after
    // it is shown the frame reported is the client area itself, or a thin border without a
    // title bar. Room for a title bar and borders is then assumed, so that the title bar,
    // when it comes, is on the screen where it can be seen and dragged.
    const QMargins assumed(4, 30, 4, 4);
    QMargins margins = assumed;
    bool frameKnown = false;
    if (window->isVisible()) {
        const QRect outer = window->frameGeometry();
        const QRect inner = window->geometry();
        const QMargins reported(inner.left() - outer.left(), inner.top() - outer.top(),
                                outer.right() - inner.right(), outer.bottom() - inner.bottom());
        frameKnown = reported.top() > reported.left() + 8;  // a title bar is reported
        if (frameKnown) margins = reported;
    }
    const QSize extra(margins.left() + margins.right(), margins.top() + margins.bottom());
    const QRect fitted =
        FitIntoArea(QRect(wanted, window->size() + extra), screen->availableGeometry());
    const QSize inner = fitted.size() - extra;
    if (inner != window->size()) {
        // A window's least size gives way to the screen: on a small screen it is cut off
        // rather than reaching past the screen's edge.
        window->setMinimumSize(window->minimumSize().boundedTo(inner));
    }
    if (!window->isVisible() || frameKnown) {
        // A window not shown yet, or one whose frame is known: its position is that of its
        // frame, which the window manager honours when it maps the window.
        window->resize(inner);
        window->move(fitted.topLeft());
        return;
    }
    // A shown window whose frame is not known: a frame position would be taken as the
    // client area's, so the client area is placed inside the assumed frame, which keeps
    // the real one on the screen.
    window->setGeometry(QRect(fitted.topLeft() + QPoint(margins.left(), margins.top()), inner));
}

}  // namespace quilto
