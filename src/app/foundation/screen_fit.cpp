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
    // Before the window is first shown its frame is not known yet: a title bar and thin
    // borders are assumed, and a placement once it shows uses the real ones.
    QMargins margins(4, 30, 4, 4);
    if (window->isVisible()) {
        const QRect outer = window->frameGeometry();
        const QRect inner = window->geometry();
        margins = QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                           outer.right() - inner.right(), outer.bottom() - inner.bottom());
    }
    const QSize extra(margins.left() + margins.right(), margins.top() + margins.bottom());
    const QRect fitted =
        FitIntoArea(QRect(wanted, window->size() + extra), screen->availableGeometry());
    const QSize inner = fitted.size() - extra;
    if (inner != window->size()) {
        // A window's least size gives way to the screen: on a small screen it is cut off
        // rather than reaching past the screen's edge.
        window->setMinimumSize(window->minimumSize().boundedTo(inner));
        window->resize(inner);
    }
    window->move(fitted.topLeft());  // a window's position is that of its frame
}

}  // namespace quilto
