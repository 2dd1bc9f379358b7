#include "ui/gauge_widget.h"

#include <QPainter>
#include <QPointer>

namespace varnel {

GaugeWidget::GaugeWidget(TGauge& gauge, QWidget* parent) : QWidget(parent), gauge_(gauge) {
    setFocusPolicy(Qt::NoFocus);
    // The window may destroy the gauge before its child widgets: the widget never touches the
    // gauge on its way out, and a change after the widget has gone repaints nothing.
    const QPointer<GaugeWidget> self(this);
    gauge_.OnChange = [self] {
        if (self) {
            self->update();
        }
    };
}

QString GaugeWidget::text() const {
    return QString::fromStdString(gauge_.Text());
}

void GaugeWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    painter.setPen(QColor(0x9a, 0xa7, 0xb4));
    painter.setBrush(QColor(0xf7, 0xf9, 0xfb));
    painter.drawRect(frame);

    // The bar covers inner length × P × 0.01 pixels, truncated.
    const QRect inner = rect().adjusted(2, 2, -2, -2);
    const int filled = static_cast<int>(inner.width() * gauge_.Percent() * 0.01);
    if (filled > 0) {
        painter.fillRect(QRect(inner.left(), inner.top(), filled, inner.height()),
                         QColor(0x7f, 0xb3, 0xd5));
    }

    painter.setPen(Qt::black);
    painter.drawText(rect(), Qt::AlignCenter, text());
}

}  // namespace varnel
