// Where the window opens on screens large and small, and Qt's own texts in the window's
// language.
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "ui/Unit1.h"
#include "ui/message_boxes.h"
#include "ui/window_placement.h"
#include "ui_test_registry.h"

class WindowScreenTest : public QObject {
    Q_OBJECT

  private slots:
    void windowKeepsItsPlaceWhenItFitsAndMovesInsideOtherwise() {
        const QPoint designed(533, 346);
        const QSize frame(461, 390);
        struct Case {
            const char* name;
            QRect available;
            QPoint expected;
        };
        const Case cases[] = {
            {"fits", QRect(0, 0, 1280, 1024), designed},
            {"fits beside a panel", QRect(60, 30, 1220, 994), designed},
            {"too narrow and too low", QRect(0, 0, 800, 600), QPoint(339, 210)},
            // QT_SCALE_FACTOR=2 on 1280x1024: a screen of 640x512 units.
            {"scaled", QRect(0, 0, 640, 512), QPoint(179, 122)},
            {"smaller than the window", QRect(10, 20, 400, 300), QPoint(10, 20)},
        };
        for (const Case& c : cases) {
            QCOMPARE(varnel::FittedPosition(designed, frame, c.available), c.expected);
        }
    }

    // The test screen (800x600) cannot hold the window at its designed place.
    void windowOpensInsideASmallScreen() {
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QRect available = form.screen()->availableGeometry();
        QVERIFY2(available.contains(form.frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(form.frameGeometry().x())
                                .arg(form.frameGeometry().y())
                                .arg(form.frameGeometry().width())
                                .arg(form.frameGeometry().height())));
    }

    void toolkitTextsAreChinese() {
        const std::unique_ptr<QMessageBox> message = varnel::MakeMessageBox("x");
        QCOMPARE(message->button(QMessageBox::Ok)->text(), QString::fromUtf8("确定"));
        const std::unique_ptr<QMessageBox> question = varnel::MakeQuestionBox("x");
        QCOMPARE(question->button(QMessageBox::Yes)->text(), QString::fromUtf8("是(&Y)"));
        QCOMPARE(question->button(QMessageBox::No)->text(), QString::fromUtf8("否(&N)"));

        TForm1 form;
        form.sd->setOption(QFileDialog::DontUseNativeDialog);
        const auto* buttons = form.sd->findChild<QDialogButtonBox*>();
        QVERIFY(buttons != nullptr);
        QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("取消"));
    }
};

static const bool registered = RegisterUiTest<WindowScreenTest>();

#include "window_screen_test.moc"
