// The desktop program's application object: it gives every window the program's look (the
// Fusion style with our flat style sheet and a CJK-capable 12-pixel font) and catches every
// exception that escapes an event handler, shows it in the exception box and goes on.
#pragma once

#include <QApplication>

namespace varnel {

class VarnelApplication : public QApplication {
    Q_OBJECT

  public:
    VarnelApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

// Installs Qt's own Chinese texts for its dialogs and buttons; false when the system has no
// such catalogue (the texts then stay in English).
bool LoadToolkitTranslations(QApplication& app);

// Runs the exception box for the exception being handled; call only from a catch block.
void ShowCurrentException();

}  // namespace varnel
