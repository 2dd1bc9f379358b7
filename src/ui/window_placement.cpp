#include "ui/window_placement.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace varnel {

namespace {

// One axis: the start that keeps [start, start + length) inside [low, high), or low when the
// length does not fit at all.
int FittedStart(int start, int length, int low, int high) {
    if (length >= high - low) {
        return low;
    }
    return std::clamp(start, low, high - length);
}

}  // namespace

QPoint FittedPosition(const QPoint& designed, const QSize& frameSize, const QRect& available) {
    if (available.contains(QRect(designed, frameSize))) {
        return designed;
    }
    return {FittedStart(designed.x(), frameSize.width(), available.left(),
                        available.left() + available.width()),
            FittedStart(designed.y(), frameSize.height(), available.top(),
                        available.top() + available.height())};
}

void PlaceOnScreen(QWidget& window, const QPoint& designed) {
    window.adjustSize();
    // Before the window is shown the window manager has not framed it yet: the frame is
    // reckoned from the style's title bar and border.
    const QStyle* style = window.style();
    const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &window);
    const int titleBar = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    const QSize frame = window.size() + QSize(2 * border, titleBar + 2 * border);
    const QScreen* screen =
        window.screen() != nullptr ? window.screen() : QApplication::primaryScreen();
    if (screen == nullptr) {
        window.move(designed);
        return;
    }
    window.move(FittedPosition(designed, frame, screen->availableGeometry()));
}

}  // namespace varnel
