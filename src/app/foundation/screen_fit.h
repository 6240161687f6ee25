#pragma once

// Every window of the program stays inside the usable area of its screen (the screen less
// panels and docks): at the position its form asks for when it fits there, otherwise moved
// in and, should it still not fit, made smaller. A form calls PlaceOnScreen where it would
// otherwise simply move itself.

#include <QPoint>
#include <QRect>

class QWidget;

namespace quilto {

// Where a window whose outer frame would be `frame` stands inside area: unchanged when it
// fits, otherwise moved in, and made smaller where it is larger than the area.
QRect FitIntoArea(const QRect& frame, const QRect& area);

// Moves (and if need be shrinks) window so that its frame's top-left corner stands at
// wanted, or as near to it as its screen's available area allows; while the frame is not
// known yet, room for a title bar and borders is kept.
void PlaceOnScreen(QWidget* window, QPoint wanted);

}  // namespace quilto
