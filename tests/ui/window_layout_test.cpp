// The window as laid out: components, captions, menus, hidden job settings, size, title, font
// and the keyboard's tab order.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ui/Unit1.h"
#include "ui/gauge_widget.h"
#include "ui_test_registry.h"

namespace {

const QString kTitle = QString::fromUtf8("Varnel工控机系统备份软件 10.6");

QString CaptionOf(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->text();
    }
    if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        return box->title();
    }
    if (auto* field = qobject_cast<QLineEdit*>(widget)) {
        return field->text();
    }
    return {};
}

}  // namespace

class WindowLayoutTest : public QObject {
    Q_OBJECT

  private slots:
    void componentsSitAtTheirPlaces() {
        TForm1 form;
        struct Case {
            const char* name;
            const char* parent;
            QRect geometry;
            const char* caption;
        };
        const Case cases[] = {
            {"Button1", "ClientArea", {80, 184, 75, 25}, "开始"},
            {"Button2", "ClientArea", {304, 184, 75, 25}, "停止"},
            {"GroupBox1", "ClientArea", {8, 8, 433, 129}, "数据源"},
            {"Label1", "GroupBox1", {16, 64, 81, 13}, "源数据:"},
            {"Edit1", "GroupBox1", {80, 60, 337, 20}, ""},
            {"Button3", "ClientArea", {80, 232, 297, 25}, "损坏工控机维修以及恢复,联系我们"},
            {"Button4", "ClientArea", {192, 184, 75, 25}, "暂停"},
            {"RzStatusBar1", "ClientArea", {0, 325, 457, 19}, ""},
            {"EsTime", "RzStatusBar1", {0, 0, 121, 19}, ""},
            {"RzStatusPane2",
             "RzStatusBar1",
             {121, 0, 336, 19},
             "官方网站: www.example.com/varnel"},
            {"gg", "ClientArea", {24, 280, 409, 25}, ""},
            {"Label2", "ClientArea", {24, 155, 113, 13}, "数据目标:"},
            {"Edit2", "ClientArea", {88, 152, 337, 20}, ""},
        };
        for (const Case& c : cases) {
            auto* widget = form.findChild<QWidget*>(QString::fromLatin1(c.name));
            QVERIFY2(widget != nullptr, c.name);
            QCOMPARE(widget->parentWidget()->objectName(), QString::fromLatin1(c.parent));
            QCOMPARE(widget->geometry(), c.geometry);
            QCOMPARE(CaptionOf(widget), QString::fromUtf8(c.caption));
        }
        QCOMPARE(form.gg->text(), QStringLiteral("0%"));
    }

    void hiddenPanelHoldsTheJobSettings() {
        TForm1 form;
        form.show();
        QVERIFY(!form.Panel1->isVisible());
        QCOMPARE(form.RzLabel1->text(), QString::fromUtf8("开始扇区:"));
        QCOMPARE(form.Begsec->text(), QStringLiteral("0"));
        QCOMPARE(form.Secradio->title(), QString::fromUtf8("扇区大小:"));
        QStringList items;
        for (QAbstractButton* item : form.SecradioButtons->buttons()) {
            items << item->text();
        }
        QCOMPARE(items, QString::fromUtf8("512字节每扇区,518字节每扇区,520字节每扇区,522字节每扇区")
                            .split(QLatin1Char(',')));
        QCOMPARE(form.SecradioButtons->checkedId(), 0);

        const JobInputs inputs = form.ReadJobInputs();
        QCOMPARE(inputs.SecradioItemIndex, 0);
        QCOMPARE(inputs.StartText, std::string("0"));
        QVERIFY(inputs.SourcePath.empty() && inputs.TargetPath.empty() && !inputs.TargetIsFile);
    }

    void windowIsFixedAndTitled() {
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.windowTitle(), kTitle);
        QCOMPARE(QApplication::applicationDisplayName(), kTitle);
        QCOMPARE(form.centralWidget()->size(), QSize(457, 344));
        QCOMPARE(form.centralWidget()->y(), form.menuBar()->height());
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(form.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!form.Timer1->isActive());
        QCOMPARE(form.Timer1->interval(), 1000);
        QVERIFY(form.EsTime->text().isEmpty());
        QVERIFY(form.pops->isEmpty() && form.popd->isEmpty());
    }

    void menuBarHasNoShortcutsOrAccessLetters() {
        TForm1 form;
        QStringList shown;
        for (QAction* menu : form.menuBar()->actions()) {
            shown << menu->menu()->objectName() + QLatin1Char('=') + menu->text();
            for (QAction* item : menu->menu()->actions()) {
                shown << item->objectName() + QLatin1Char('=') +
                             (item->isSeparator() ? QStringLiteral("-") : item->text());
                QVERIFY(item->shortcut().isEmpty());
            }
        }
        QCOMPARE(shown, QString::fromUtf8("File1=文件,Close1=关闭,Help1=帮助,Manual1=帮助文档,N1=-,"
                                          "About1=关于")
                            .split(QLatin1Char(',')));
        QCOMPARE(form.menuBar()->objectName(), QStringLiteral("MainMenu1"));
    }

    // Every Chinese caption is drawn with a font that has its characters.
    void fontCoversTheChineseCaptions() {
        TForm1 form;
        const QFontInfo info(form.Button1->font());
        QCOMPARE(info.pixelSize(), 12);
        const QFontMetrics metrics(form.Button3->font());
        for (const QChar c : form.Button3->text()) {
            QVERIFY2(metrics.inFont(c), qPrintable(info.family()));
        }
    }

    void tabVisitsTheControlsInOrder() {
        TForm1 form;
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(QApplication::focusWidget(), form.Button1);

        const auto visit = [&](int steps) {
            QStringList names;
            for (int i = 0; i < steps; ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                names << QApplication::focusWidget()->objectName();
            }
            return names;
        };
        QCOMPARE(
            visit(6),
            QStringLiteral("Button2,Edit1,Button3,Button4,Edit2,Button1").split(QLatin1Char(',')));

        // During a job only Stop, the link button and Pause take the focus.
        form.Button2->setFocus();
        form.DisableControls();
        QCOMPARE(visit(3), QStringLiteral("Button3,Button4,Button2").split(QLatin1Char(',')));
        form.EnableControls();
    }
};

static const bool registered = RegisterUiTest<WindowLayoutTest>();

#include "window_layout_test.moc"
