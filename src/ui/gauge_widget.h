// The progress gauge gg: draws a TGauge as a horizontal bar with its percentage text centred
// on it, and repaints whenever one of the gauge's values changes.
#pragma once

#include <QWidget>

#include "engine/gauge.h"

namespace varnel {

class GaugeWidget : public QWidget {
    Q_OBJECT

  public:
    GaugeWidget(TGauge& gauge, QWidget* parent);

    // The text drawn on the bar, such as "47%".
    QString text() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    TGauge& gauge_;
};

}  // namespace varnel
