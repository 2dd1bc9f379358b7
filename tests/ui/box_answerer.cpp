#include "box_answerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QTest>

BoxAnswerer::BoxAnswerer(Chooser choose, int patiencePolls)
    : choose_(std::move(choose)), patiencePolls_(patiencePolls) {
    connect(&timer_, &QTimer::timeout, this, &BoxAnswerer::Poll);
    timer_.start(20);
}

QStringList BoxAnswerer::Texts() const {
    QStringList texts;
    for (const SeenBox& box : seen) {
        texts << box.text;
    }
    return texts;
}

void BoxAnswerer::Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) {
        current_ = nullptr;
        return;
    }
    if (box != current_) {
        current_ = box;
        polls_ = 0;
    }
    if (polls_++ < patiencePolls_) {
        return;
    }
    SeenBox record;
    record.title = box->windowTitle();
    record.text = box->text();
    record.icon = box->icon();
    for (QAbstractButton* button : box->buttons()) {
        record.buttons << button->text();
    }
    if (box->defaultButton() != nullptr) {
        record.defaultButton = box->defaultButton()->text();
    }
    if (box->escapeButton() != nullptr) {
        record.escapeButton = box->escapeButton()->text();
    }
    record.applicationModal = box->windowModality() == Qt::ApplicationModal;
    seen.push_back(record);
    current_ = nullptr;
    if (choose_) {
        if (QAbstractButton* button = choose_(*box)) {
            button->click();
            return;
        }
        if (!box->isVisible()) {
            return;  // the chooser closed it
        }
    }
    QTest::keyClick(box, Qt::Key_Escape);
}
