// The boxes through which the window speaks to the user: the message box, the Yes/No question
// and the exception box. All carry the application title as caption, show plain text (never
// markup) and are centred on the screen; the caller runs them modally.
#pragma once

#include <QMessageBox>
#include <memory>
#include <string>

namespace varnel {

// The text of the exception box: "." is appended when the message is not empty and its last
// byte has a higher code than '.' (letters, digits, ':' and every byte of a UTF-8 Chinese
// character); "!", ")", ",", "-", "." and spaces end it unchanged.
std::string ExceptionBoxText(const std::string& message);

// No icon, one OK button that is both the default and the answer to Esc and to closing.
std::unique_ptr<QMessageBox> MakeMessageBox(const std::string& text);
// Yes and No; No is the default and the answer to Esc and to closing the box.
std::unique_ptr<QMessageBox> MakeQuestionBox(const std::string& text);
// The error icon and one OK button; the text as ExceptionBoxText gives it.
std::unique_ptr<QMessageBox> MakeExceptionBox(const std::string& message);

}  // namespace varnel
