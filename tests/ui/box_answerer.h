// Answers the modal boxes a test provokes: it watches for a message box, records what it shows
// and presses one of its buttons. A box that the window closes by itself is never seen when
// the answerer waits long enough before it acts.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <vector>

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;    // button texts, in the box's order
    QString defaultButton;  // text of the default button
    QString escapeButton;   // text of the button Esc presses
    bool applicationModal = false;
};

class BoxAnswerer : public QObject {
    Q_OBJECT

  public:
    // Presses the button `choose` returns; by default the Esc key answers.
    using Chooser = std::function<QAbstractButton*(QMessageBox&)>;
    explicit BoxAnswerer(Chooser choose = {}, int patiencePolls = 0);

    std::vector<SeenBox> seen;
    QStringList Texts() const;

  private:
    void Poll();

    Chooser choose_;
    int patiencePolls_;
    QTimer timer_;
    QPointer<QMessageBox> current_;
    int polls_ = 0;
};
