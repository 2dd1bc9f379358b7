// The source and target menus: built on a right-button press in their field, their items in
// order, and what choosing an item (or answering a file dialog) stores in the window.
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCompleter>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <optional>

#include "menu_items.h"
#include "support/scoped_no_rights.h"
#include "test_devices.h"
#include "ui/Unit1.h"
#include "ui_test_registry.h"

namespace {

QStringList NamesOf(const QMenu& menu) {
    QStringList names;
    for (QAction* item : menu.actions()) {
        names << (item->isSeparator() ? QStringLiteral("-") : item->objectName());
    }
    return names;
}

// A press and release of `button` in the field; the menu a right click opens is closed again.
void Click(QWidget* field, Qt::MouseButton button, QMenu* opened = nullptr) {
    QTest::mousePress(field, button);
    QTest::mouseRelease(field, button);
    if (opened != nullptr) {
        opened->close();
    }
}

}  // namespace

class EndpointMenusTest : public QObject {
    Q_OBJECT

  private slots:
    void rightPressBuildsTheMenus() {
        TestDevices devices;
        TForm1 form;
        form.show();

        // Each menu: empty until a right press in its own field, then the items in order.
        struct Menu {
            QWidget* field;
            QMenu* menu;
            const char* names;
            const char* first;  // the text of the file item
        };
        const Menu menus[] = {
            {form.Edit1, form.pops, "Openimage,-,C,-,PhysicalDrive0,PhysicalDrive1",
             "打开磁盘镜像"},
            {form.Edit2, form.popd, "Saveimage,-,Cx,-,PhysicalDrive0x,PhysicalDrive1x",
             "保存为镜像文件"},
        };
        QStringList disks;  // the text of the first disk item of each menu
        for (const Menu& m : menus) {
            Click(m.field, Qt::LeftButton);
            QVERIFY2(m.menu->isEmpty(), m.names);
            Click(m.field, Qt::RightButton, m.menu);
            QCOMPARE(NamesOf(*m.menu), QString::fromLatin1(m.names).split(QLatin1Char(',')));
            QCOMPARE(m.menu->actions().at(0)->text(), QString::fromUtf8(m.first));
            QVERIFY2(!m.menu->actions().at(2)->text().isEmpty(), m.names);
            disks << m.menu->actions().at(4)->text();
            QVERIFY2(disks.last().startsWith(QStringLiteral("HD0, ")) &&
                         disks.last().endsWith(QStringLiteral(", [0GB]")),
                     qPrintable(disks.last()));
        }
        QCOMPARE(disks.at(1), disks.at(0));

        // A left or middle press keeps the items; a rebuild does not pile them up.
        Click(form.Edit2, Qt::MiddleButton);
        Click(form.Edit2, Qt::RightButton, form.popd);
        QCOMPARE(form.popd->actions().size(), 6);
    }

    // The context-menu key shows the menu as last built: nothing before the first right click.
    void contextMenuKeyShowsTheLastBuiltMenu() {
        TestDevices devices;
        TForm1 form;
        form.show();
        const auto pressMenuKey = [&] {
            QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5),
                                    form.Edit1->mapToGlobal(QPoint(5, 5)));
            QCoreApplication::sendEvent(form.Edit1, &event);
            const bool shown = form.pops->isVisible();
            form.pops->close();
            return shown;
        };
        QVERIFY(!pressMenuKey());
        QTest::mousePress(form.Edit1, Qt::RightButton);
        QVERIFY(pressMenuKey());
        QCOMPARE(form.pops->actions().size(), 6);
    }

    // A disk this user may not open: each menu says so in one disabled item after the disks.
    void disksWithoutRightsLeaveOneDisabledItem() {
        TestDevices devices;
        namespace fs = std::filesystem;
        const fs::path disk0 = devices.Disk0().toStdString();
        fs::permissions(disk0.parent_path(), fs::perms::others_exec, fs::perm_options::add);
        fs::permissions(disk0, fs::perms::others_read, fs::perm_options::add);
        TForm1 form;
        form.show();
        const ScopedNoRights noRights({devices.Disk1().toStdString()});
        for (auto [field, menu] : {std::pair{form.Edit1, form.pops}, {form.Edit2, form.popd}}) {
            Click(field, Qt::RightButton, menu);
            const QList<QAction*> items = menu->actions();
            QCOMPARE(NamesOf(*menu).count(QStringLiteral("NoRights")), 1);
            QCOMPARE(items.back()->objectName(), QStringLiteral("NoRights"));
            QVERIFY(!items.back()->isEnabled());
            QCOMPARE(items.back()->text(),
                     QString::fromUtf8("无权打开磁盘: 请以管理员 (root) 身份运行本程序"));
            QVERIFY(
                NamesOf(*menu).join(QLatin1Char(',')).contains(QStringLiteral("PhysicalDrive0")));
        }
    }

    void menusOfADisabledFieldAreNotBuilt() {
        TestDevices devices;
        TForm1 form;
        form.show();
        form.DisableControls();
        Click(form.Edit1, Qt::RightButton, form.pops);
        QVERIFY(form.pops->isEmpty());
        form.EnableControls();
    }

    void choosingADeviceItemStoresItsPath() {
        TestDevices devices;
        TForm1 form;
        form.show();
        QTest::mousePress(form.Edit1, Qt::RightButton);
        QTest::mousePress(form.Edit2, Qt::RightButton);

        struct Case {
            bool target;
            const char* item;
            const char* path;
            const char* field;
        };
        const Case cases[] = {
            {false, "C", "\\\\.\\C:", "C:"},
            {false, "PhysicalDrive1", "\\\\.\\PhysicalDrive1", "PhysicalDrive1"},
            {true, "Cx", "\\\\.\\C:", "C:"},
            {true, "PhysicalDrive0x", "\\\\.\\PhysicalDrive0", "PhysicalDrive0"},
        };
        for (const Case& c : cases) {
            QMenu& menu = c.target ? *form.popd : *form.pops;
            QAction* item = Item(menu, QString::fromLatin1(c.item));
            QVERIFY2(item != nullptr, c.item);
            form.TargetIsFile = true;
            item->trigger();
            QCOMPARE(c.target ? form.TargetPath : form.SourcePath, std::string(c.path));
            QCOMPARE((c.target ? form.Edit2 : form.Edit1)->text(), QString::fromLatin1(c.field));
            QCOMPARE(form.TargetIsFile, !c.target);
        }
    }

    void openDialogChoosesTheSourceFile() {
        TestDevices devices;
        TForm1 form;
        QAction* open = BuiltItem(form.Edit1, *form.pops, QStringLiteral("Openimage"));
        QVERIFY(open != nullptr);

        std::optional<QString> answer = devices.Path(QStringLiteral("missing.img"));
        form.od->selectFile(QStringLiteral("left-over.img"));
        form.od->setDefaultSuffix(QStringLiteral("img"));
        form.od->setNameFilter(QStringLiteral("Disk Image(*.img)"));
        form.RunFileDialog = [&](QFileDialog& dialog) {
            // Cleared before every click; no filter; the file need not exist.
            [&] {
                QCOMPARE(&dialog, form.od);
                QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptOpen);
                QCOMPARE(dialog.fileMode(), QFileDialog::AnyFile);
                QVERIFY(dialog.defaultSuffix().isEmpty());
                QVERIFY(dialog.selectedFiles().isEmpty() ||
                        !dialog.selectedFiles().first().endsWith(QStringLiteral("left-over.img")));
                QVERIFY(!dialog.nameFilters().join(QString()).contains(QStringLiteral("*.img")));
            }();
            return answer;
        };
        open->trigger();
        QCOMPARE(form.SourcePath, answer->toStdString());
        QCOMPARE(form.Edit1->text(), *answer);

        answer.reset();  // cancelled: nothing changes
        open->trigger();
        QCOMPARE(form.Edit1->text(), devices.Path(QStringLiteral("missing.img")));
    }

    // A path typed into the open dialog and confirmed with Enter: the dialog's completer list
    // goes with the dialog instead of staying over the window.
    void typedPathLeavesNoCompleterList() {
        TestDevices devices;
        TForm1 form;
        form.show();
        form.od->setOption(QFileDialog::DontUseNativeDialog);
        QAction* open = BuiltItem(form.Edit1, *form.pops, QStringLiteral("Openimage"));
        QVERIFY(open != nullptr);
        QList<QPointer<QAbstractItemView>> lists;
        int presses = 0;
        QTimer poll;
        connect(&poll, &QTimer::timeout, &form, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            auto* name = dialog != nullptr
                             ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                             : nullptr;
            if (name == nullptr || !dialog->isVisible()) {
                return;
            }
            if (lists.isEmpty()) {
                QTest::keyClicks(name, devices.Path(QStringLiteral("disk")));
                for (QCompleter* completer : dialog->findChildren<QCompleter*>()) {
                    lists << completer->popup();
                }
                QTest::keyClicks(name, QStringLiteral("0.bin"));
            }
            // Enter until the dialog takes the name (a list that is open takes the first one);
            // a dialog that never does must not hold the test up.
            if (++presses > 50) {
                dialog->reject();
                return;
            }
            QTest::keyClick(name, Qt::Key_Return);
        });
        poll.start(200);
        QMetaObject::invokeMethod(open, &QAction::trigger, Qt::QueuedConnection);
        QTRY_COMPARE_WITH_TIMEOUT(form.Edit1->text(), devices.Disk0(), 15000);
        poll.stop();
        QVERIFY(!lists.isEmpty());
        for (const QPointer<QAbstractItemView>& list : lists) {
            QVERIFY(!list || !list->isVisible());
        }
    }

    void saveDialogChoosesTheTargetFile() {
        TestDevices devices;
        TForm1 form;
        QAction* save = BuiltItem(form.Edit2, *form.popd, QStringLiteral("Saveimage"));
        QVERIFY(save != nullptr);

        std::optional<QString> answer = devices.Path(QStringLiteral("backup"));
        QStringList offered;
        form.RunFileDialog = [&](QFileDialog& dialog) {
            [&] {
                QCOMPARE(&dialog, form.sd);
                QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
                QVERIFY(!dialog.testOption(QFileDialog::DontConfirmOverwrite));
                QCOMPARE(dialog.nameFilters(), QStringList{QStringLiteral("Disk Image(*.img)")});
                QVERIFY(dialog.defaultSuffix().isEmpty());
            }();
            offered << dialog.selectedFiles().value(0);
            return answer;
        };
        save->trigger();
        // Taken as typed: no ".img" added.
        QCOMPARE(form.TargetPath, answer->toStdString());
        QCOMPARE(form.Edit2->text(), *answer);
        QVERIFY(form.TargetIsFile);

        // A disk, then a cancelled dialog: the disk stays chosen.
        Item(*form.popd, QStringLiteral("PhysicalDrive1x"))->trigger();
        QVERIFY(!form.TargetIsFile);
        answer.reset();
        save->trigger();
        QCOMPARE(form.TargetPath, std::string("\\\\.\\PhysicalDrive1"));
        QVERIFY(!form.TargetIsFile);
        // The dialog offered the last confirmed name again.
        QCOMPARE(offered.value(1), devices.Path(QStringLiteral("backup")));
    }

    void typingIntoAFieldChangesNothing() {
        TForm1 form;
        form.show();
        form.Edit1->setText(QStringLiteral("C:"));
        form.Edit1->setFocus();
        QTest::keyClicks(form.Edit1, QStringLiteral("ab1"));
        QTest::keyClick(form.Edit1, Qt::Key_Backspace);
        QTest::keyClick(form.Edit1, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(form.Edit2, Qt::Key_X);
        QCOMPARE(form.Edit1->text(), QStringLiteral("C:"));
        QVERIFY(form.Edit2->text().isEmpty());
    }
};

static const bool registered = RegisterUiTest<EndpointMenusTest>();

#include "endpoint_menus_test.moc"
