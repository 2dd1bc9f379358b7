#include "ui/message_boxes.h"

#include <QApplication>
#include <QPushButton>
#include <QString>

namespace varnel {

namespace {

std::unique_ptr<QMessageBox> MakeBox(QMessageBox::Icon icon, const std::string& text,
                                     QMessageBox::StandardButtons buttons,
                                     QMessageBox::StandardButton answerToEscape) {
    // No parent: the box is centred on the screen and modal for the whole program.
    auto box = std::make_unique<QMessageBox>(icon, QApplication::applicationDisplayName(),
                                             QString::fromStdString(text), buttons);
    box->setObjectName(QStringLiteral("MessageBox"));
    box->setTextFormat(Qt::PlainText);
    box->setDefaultButton(answerToEscape);
    box->setEscapeButton(answerToEscape);
    return box;
}

}  // namespace

std::string ExceptionBoxText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
        return message + ".";
    }
    return message;
}

std::unique_ptr<QMessageBox> MakeMessageBox(const std::string& text) {
    return MakeBox(QMessageBox::NoIcon, text, QMessageBox::Ok, QMessageBox::Ok);
}

std::unique_ptr<QMessageBox> MakeQuestionBox(const std::string& text) {
    return MakeBox(QMessageBox::Warning, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
}

std::unique_ptr<QMessageBox> MakeExceptionBox(const std::string& message) {
    return MakeBox(QMessageBox::Critical, ExceptionBoxText(message), QMessageBox::Ok,
                   QMessageBox::Ok);
}

}  // namespace varnel
