// The program's look, the same on every machine: the Fusion style, a calm flat palette and
// style sheet, and the font SimSun at 12 pixels with installed CJK fonts as fallbacks, so that
// no Chinese text is drawn as empty boxes.
#pragma once

#include <QFont>

class QApplication;

namespace varnel {

QFont WindowFont();
void ApplyWindowLook(QApplication& app);

}  // namespace varnel
