#include "ui/varnel_application.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <exception>
#include <memory>
#include <string>

#include "engine/errors.h"
#include "ui/focus_keeper.h"
#include "ui/message_boxes.h"
#include "ui/window_look.h"

namespace varnel {

VarnelApplication::VarnelApplication(int& argc, char** argv) : QApplication(argc, argv) {
    ApplyWindowLook(*this);
    LoadToolkitTranslations(*this);
}

bool LoadToolkitTranslations(QApplication& app) {
    // Qt's own texts (the file dialogs, the overwrite prompt, the boxes' buttons) in the
    // window's language. Without the catalogue they stay in English.
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return false;
    }
    translator->setParent(&app);  // the application owns it from here on
    QApplication::installTranslator(translator.release());
    return true;
}

bool VarnelApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowCurrentException();
        return false;
    }
}

void ShowCurrentException() {
    std::string message;
    try {
        throw;
    } catch (const Exception& e) {
        message = e.Message();
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = "Unknown error";
    }
    const FocusKeeper focus;
    MakeExceptionBox(message)->exec();
}

}  // namespace varnel
