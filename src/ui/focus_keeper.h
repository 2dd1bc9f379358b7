// Keeps the keyboard focus where it was across a job or a box: the control that had it gets
// it back when the scope ends, if it can take it again.
#pragma once

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace varnel {

class FocusKeeper {
  public:
    FocusKeeper() : widget_(QApplication::focusWidget()) {}
    ~FocusKeeper() {
        if (widget_ && widget_->isEnabled() && widget_->isVisible()) {
            widget_->setFocus(Qt::OtherFocusReason);
        }
    }
    FocusKeeper(const FocusKeeper&) = delete;
    FocusKeeper& operator=(const FocusKeeper&) = delete;

  private:
    QPointer<QWidget> widget_;
};

}  // namespace varnel
