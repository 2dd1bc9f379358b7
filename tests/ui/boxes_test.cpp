// The message box, the question box and the exception box, and exceptions that escape an
// event handler.
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "box_answerer.h"
#include "engine/errors.h"
#include "ui/Unit1.h"
#include "ui/maker_page.h"
#include "ui/message_boxes.h"
#include "ui_test_registry.h"

namespace {

// An object whose event handler fails.
class FailingObject : public QObject {
  public:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) {
            throw EConvertError("'12a' is not a valid integer value");
        }
        return QObject::event(event);
    }
};

}  // namespace

class BoxesTest : public QObject {
    Q_OBJECT

  public slots:
    void OpenUrl(const QUrl& url) { opened << url.toString(); }

  private:
    QStringList opened;

  private slots:
    void exceptionTextEndsWithAFullStop() {
        struct Case {
            const char* message;
            const char* shown;
        };
        const Case cases[] = {
            {"Cannot open file \"x\". No such file or directory",
             "Cannot open file \"x\". No such file or directory."},
            {"List index out of bounds (3)", "List index out of bounds (3)"},
            {"Done!", "Done!"},
            {"a,", "a,"},
            {"a-", "a-"},
            {"a.", "a."},
            {"a ", "a "},
            {"Drive C:", "Drive C:."},
            {"value 7", "value 7."},
            {"磁盘错误", "磁盘错误."},
            {"", ""},
        };
        for (const Case& c : cases) {
            QCOMPARE(varnel::ExceptionBoxText(c.message), std::string(c.shown));
        }
    }

    void messageBoxesAnswerEscAndCloseAsTheirSafeChoice() {
        TForm1 form;
        {
            BoxAnswerer boxes;  // Esc
            form.ShowMessage("<b>plain</b>");
            QCOMPARE(boxes.seen.size(), std::size_t{1});
            QCOMPARE(boxes.seen[0].text, QStringLiteral("<b>plain</b>"));
        }
        {
            BoxAnswerer boxes;  // Esc
            QVERIFY(!form.AskYesNo("overwrite?"));
        }
        {
            BoxAnswerer boxes([](QMessageBox& box) {
                box.close();
                return nullptr;
            });
            QVERIFY(!form.AskYesNo("overwrite?"));
        }
        {
            BoxAnswerer boxes([](QMessageBox& box) { return box.button(QMessageBox::Yes); });
            QVERIFY(form.AskYesNo("overwrite?"));
        }
    }

    void exceptionOfAnEventHandlerIsShownAndTheProgramGoesOn() {
        FailingObject failing;
        BoxAnswerer boxes;
        QCoreApplication::postEvent(&failing, new QEvent(QEvent::User));
        QCoreApplication::sendPostedEvents(&failing);
        QCOMPARE(boxes.seen.size(), std::size_t{1});
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
        QCOMPARE(boxes.seen[0].text, QStringLiteral("'12a' is not a valid integer value."));
    }

    void linkButtonAndAboutOpenTheMakersPage() {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "OpenUrl");
        TForm1 form;
        form.show();
        QTest::mouseClick(form.Button3, Qt::LeftButton);
        form.About1->trigger();
        form.Manual1->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        const QString page = QString::fromLatin1(varnel::kMakerPageUrl);
        QCOMPARE(opened, (QStringList{page, page}));
        QVERIFY(form.isVisible());
    }
};

static const bool registered = RegisterUiTest<BoxesTest>();

#include "boxes_test.moc"
