// Where the main window opens: at its designed place when it fits on the screen, otherwise
// inside the screen's available area (a scaled window may be larger than the designed place
// allows).
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace varnel {

// The top left corner for a window whose frame is `frameSize`: `designed` when the frame fits
// inside `available` there; otherwise the nearest place inside `available`, and its top left
// corner along a side where the window is larger than the area.
QPoint FittedPosition(const QPoint& designed, const QSize& frameSize, const QRect& available);

// Moves the (not yet shown) window to its fitted position on its screen.
void PlaceOnScreen(QWidget& window, const QPoint& designed);

}  // namespace varnel
