// Draws the pictures of the README: the window, and the window with its source menu open,
// built against a device map of temporary files (a volume C: and two disks), and the question
// before a USB stick with a mounted file system is overwritten.
// Usage: ui_screenshots <folder>; writes window.png, source-menu.png and device-question.png
// there.
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTest>
#include <cstdio>

#include "engine/device_question.h"
#include "support/safe_device_map.h"
#include "test_devices.h"
#include "ui/Unit1.h"
#include "ui/message_boxes.h"
#include "ui/varnel_application.h"

namespace {

// The window with its title bar drawn by hand, so the picture does not depend on a window
// manager.
QPixmap WithTitleBar(const QPixmap& client, const QString& title) {
    const int bar = 24;
    QPixmap picture(client.width() + 2, client.height() + bar + 1);
    picture.fill(QColor(0x6f, 0x8f, 0xab));
    QPainter painter(&picture);
    painter.drawPixmap(1, bar, client);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(12);
    painter.setFont(font);
    painter.drawText(QRect(8, 0, picture.width() - 16, bar), Qt::AlignVCenter, title);
    painter.drawText(QRect(0, 0, picture.width() - 10, bar), Qt::AlignVCenter | Qt::AlignRight,
                     QString::fromUtf8("—   ✕"));
    return picture;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: ui_screenshots <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    InstallLoopOnlyDeviceMap();
    varnel::VarnelApplication app(argc, argv);
    TestDevices devices;
    TForm1 form;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) {
        return 1;
    }
    form.Gauge().SetMaxValue(1000);
    form.Gauge().SetProgress(470);
    form.EsTime->setText(QString::fromUtf8("剩余时间: 1 : 23"));
    form.SourcePath = "\\\\.\\PhysicalDrive0";
    form.Edit1->setText(QStringLiteral("PhysicalDrive0"));
    const QPixmap window = WithTitleBar(form.grab(), form.windowTitle());
    if (!window.save(QDir(folder).filePath(QStringLiteral("window.png")))) {
        return 1;
    }

    QTest::mousePress(form.Edit1, Qt::RightButton);
    form.pops->popup(form.Edit1->mapToGlobal(QPoint(40, 12)));
    if (!QTest::qWaitForWindowExposed(form.pops)) {
        return 1;
    }
    form.pops->setActiveAction(form.pops->actions().value(2));
    QCoreApplication::processEvents();
    QPixmap withMenu = form.grab();
    QPainter painter(&withMenu);
    painter.drawPixmap(form.mapFromGlobal(form.pops->pos()), form.pops->grab());
    painter.end();
    if (!WithTitleBar(withMenu, form.windowTitle())
             .save(QDir(folder).filePath(QStringLiteral("source-menu.png")))) {
        return 1;
    }
    form.pops->close();

    // The question as a USB stick with a mounted partition meets it (the facts are drawn as
    // the system would give them; nothing is probed).
    win::DeviceFacts stick;
    stick.systemName = "/dev/sdb";
    stick.model = "SanDisk Ultra";
    stick.serial = "4C530001231107115432";
    stick.sizeBytes = 15376000000;
    win::MountedFileSystem mounted;
    mounted.device = "/dev/sdb1";
    mounted.mountPoint = "/media/user/STICK";
    mounted.fsType = "vfat";
    stick.mounts = {mounted};
    const std::unique_ptr<QMessageBox> question =
        varnel::MakeQuestionBox(DeviceQuestion("\\\\.\\PhysicalDrive1", stick));
    question->show();
    if (!QTest::qWaitForWindowExposed(question.get())) {
        return 1;
    }
    if (!WithTitleBar(question->grab(), question->windowTitle())
             .save(QDir(folder).filePath(QStringLiteral("device-question.png")))) {
        return 1;
    }
    return 0;
}
