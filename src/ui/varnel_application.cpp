#include "ui/varnel_application.h"

#include <exception>
#include <string>

#include "engine/errors.h"
#include "ui/message_boxes.h"
#include "ui/window_look.h"

namespace varnel {

VarnelApplication::VarnelApplication(int& argc, char** argv) : QApplication(argc, argv) {
    ApplyWindowLook(*this);
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
    MakeExceptionBox(message)->exec();
}

}  // namespace varnel
