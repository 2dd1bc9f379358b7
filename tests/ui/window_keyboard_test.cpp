// The window from the keyboard: Enter on a focused button, the focus after a job and after a
// box, Shift+F10 on a field, and keys without a character acting on a field.
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "box_answerer.h"
#include "test_devices.h"
#include "ui/Unit1.h"
#include "ui_test_registry.h"

namespace {

void ShowActive(TForm1& form) {
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
}

}  // namespace

class WindowKeyboardTest : public QObject {
    Q_OBJECT

  private slots:
    void enterPressesTheFocusedButton() {
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
            TForm1 form;
            ShowActive(form);
            form.Button2->setFocus();
            QTest::keyClick(form.Button2, key);
            QVERIFY(form.StopRequested());
            form.Button4->setFocus();
            QTest::keyClick(form.Button4, key);
            QVERIFY(form.PauseRequested());
        }
    }

    // Start disables itself for the job; the focus it had comes back when the job and its
    // boxes are over.
    void focusComesBackAfterAJob() {
        TForm1 form;
        ShowActive(form);
        form.Button1->setFocus();
        BoxAnswerer boxes;
        QTest::keyClick(form.Button1, Qt::Key_Return);
        QCOMPARE(boxes.Texts(), QStringList{QString::fromUtf8("数据源或者数据目标没有填写!")});
        // The window gives the focus to this control when it is active again.
        QCOMPARE(form.focusWidget(), form.Button1);
    }

    void shiftF10OpensTheFieldsMenu() {
        TestDevices devices;
        TForm1 form;
        ShowActive(form);
        QTest::mousePress(form.Edit2, Qt::RightButton);
        QTest::mouseRelease(form.Edit2, Qt::RightButton);
        form.popd->close();
        form.Edit2->setFocus();
        QTest::keyClick(form.Edit2, Qt::Key_F10, Qt::ShiftModifier);
        QVERIFY(form.popd->isVisible());
        form.popd->close();
    }

    // Keys that produce no character act on the field as on any edit field; characters,
    // pasting and the input method are still refused.
    void deleteActsOnAField() {
        TForm1 form;
        ShowActive(form);
        form.Edit1->setText(QStringLiteral("C:"));
        form.Edit1->setFocus();
        form.Edit1->setCursorPosition(0);
        QTest::keyClick(form.Edit1, Qt::Key_Delete);
        QCOMPARE(form.Edit1->text(), QStringLiteral(":"));
        QTest::keyClick(form.Edit1, Qt::Key_A);
        QTest::keyClick(form.Edit1, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(form.Edit1->text(), QStringLiteral(":"));
        QVERIFY(form.SourcePath.empty());  // what the job reads is not the field's text
    }
};

static const bool registered = RegisterUiTest<WindowKeyboardTest>();

#include "window_keyboard_test.moc"
