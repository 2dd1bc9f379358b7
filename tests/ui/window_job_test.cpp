// Jobs run from the window: a whole copy through the save dialog, the empty-field warning,
// Stop and Pause clicked during the copy, closing the window during a job, a failing
// endpoint or the source file chosen as target shown in the exception box, and the question
// before a disk is overwritten with the unmounting of its file systems.
#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "box_answerer.h"
#include "menu_items.h"
#include "support/device_folders.h"
#include "support/loop_device.h"
#include "support/temp_dir.h"
#include "test_devices.h"
#include "ui/Unit1.h"
#include "ui/gauge_widget.h"
#include "ui_test_registry.h"

namespace {

const QString kTitle = QString::fromUtf8("Varnel工控机系统备份软件 10.6");
const QString kComplete = QStringLiteral("Disk image complete!");
// The boxes' buttons, in Qt's own Chinese texts.
const QString kOk = QString::fromUtf8("确定");
const QString kYes = QString::fromUtf8("是(&Y)");
const QString kNo = QString::fromUtf8("否(&N)");

// A window with the source image file chosen through od and the target through sd (or the
// target menu's item `targetItem`).
struct JobWindow {
    explicit JobWindow(const TestDevices& devices, std::int64_t sourceSize = 3 << 20,
                       const QString& targetItem = QStringLiteral("Saveimage")) {
        source = devices.Path(QStringLiteral("source.img"));
        target = devices.Path(QStringLiteral("target.img"));
        sourceBytes = TestDevices::Pattern(sourceSize);
        TestDevices::WriteFile(source, sourceBytes);
        form.show();
        form.RunFileDialog = [this](QFileDialog& dialog) {
            return &dialog == form.od ? source : target;
        };
        Choose(*form.pops, form.Edit1, QStringLiteral("Openimage"));
        Choose(*form.popd, form.Edit2, targetItem);
    }
    void Choose(QMenu& menu, QLineEdit* field, const QString& name) {
        if (QAction* item = BuiltItem(field, menu, name)) {
            item->trigger();
        }
    }
    // Queues `action` to run at the copy loop's first event processing.
    void DuringCopy(std::function<void()> action) {
        QTimer::singleShot(0, &form, std::move(action));
    }
    QByteArray Target() const { return TestDevices::ReadFile(target); }

    TForm1 form;
    QString source;
    QString target;
    QByteArray sourceBytes;
};

QAbstractButton* Yes(QMessageBox& box) {
    return box.button(QMessageBox::Yes);
}

// True when a file system is mounted at `folder`.
bool IsMountPoint(const std::string& folder) {
    const QString table = QString::fromStdString(ReadWholeFile("/proc/self/mountinfo"));
    return table.contains(QStringLiteral(" %1 ").arg(QString::fromStdString(folder)));
}

void VerifyIdle(TForm1& form) {
    QVERIFY(form.Button1->isEnabled());
    QVERIFY(form.Edit1->isEnabled());
    QVERIFY(form.Edit2->isEnabled());
    QVERIFY(!form.Timer1->isActive());
    QCOMPARE(form.Gauge().Progress(), 0);
}

}  // namespace

class WindowJobTest : public QObject {
    Q_OBJECT

  private slots:
    void startCopiesTheSourceIntoANewImageFile() {
        TestDevices devices;
        JobWindow job(devices);
        BoxAnswerer boxes;
        QTest::mouseClick(job.form.Button1, Qt::LeftButton);
        QCOMPARE(boxes.Texts(), QStringList{kComplete});
        QCOMPARE(boxes.seen[0].title, kTitle);
        QCOMPARE(boxes.seen[0].icon, QMessageBox::NoIcon);
        QCOMPARE(boxes.seen[0].buttons, QStringList{kOk});
        QCOMPARE(boxes.seen[0].defaultButton, kOk);
        QCOMPARE(boxes.seen[0].escapeButton, kOk);
        QVERIFY(boxes.seen[0].applicationModal);
        QVERIFY(job.Target() == job.sourceBytes);
        VerifyIdle(job.form);
        QCOMPARE(job.form.gg->text(), QStringLiteral("0%"));

        // The same job again empties the file before it writes it.
        TestDevices::WriteFile(job.target, QByteArray(5 << 20, 'x'));
        QTest::mouseClick(job.form.Button1, Qt::LeftButton);
        QVERIFY(job.Target() == job.sourceBytes);
    }

    void emptyFieldsDrawTheWarningOnly() {
        TestDevices devices;
        TForm1 form;
        form.show();
        BoxAnswerer boxes;
        QTest::mouseClick(form.Button1, Qt::LeftButton);
        QCOMPARE(boxes.Texts(), QStringList{QString::fromUtf8("数据源或者数据目标没有填写!")});
        QCOMPARE(boxes.seen[0].title, kTitle);
        VerifyIdle(form);
    }

    void stopEndsTheCopyEarly() {
        TestDevices devices;
        JobWindow job(devices);
        BoxAnswerer boxes;
        job.DuringCopy([&] { QTest::mouseClick(job.form.Button2, Qt::LeftButton); });
        QTest::mouseClick(job.form.Button1, Qt::LeftButton);
        const QByteArray written = job.Target();
        QVERIFY(written.size() > 0 && written.size() < job.sourceBytes.size());
        QVERIFY(job.sourceBytes.startsWith(written));
        // Not "complete": where the copy stopped and what the target holds.
        QCOMPARE(boxes.Texts(),
                 QStringList{QStringLiteral("Stopped at source byte %1; %1 bytes were written to "
                                            "\"%2\".")
                                 .arg(written.size())
                                 .arg(job.target)});
        QCOMPARE(boxes.seen[0].title, kTitle);
        VerifyIdle(job.form);
    }

    void pauseHoldsTheCopyUntilTheBoxIsDismissed() {
        TestDevices devices;
        JobWindow job(devices);
        BoxAnswerer boxes;
        job.DuringCopy([&] { QTest::mouseClick(job.form.Button4, Qt::LeftButton); });
        QTest::mouseClick(job.form.Button1, Qt::LeftButton);
        QCOMPARE(boxes.Texts(), (QStringList{QString::fromUtf8("继续..."), kComplete}));
        QVERIFY(job.Target() == job.sourceBytes);
    }

    // Closed during a job: the copy runs to its end, the pause and completion boxes close by
    // themselves, and then the window goes.
    void closingDuringAJobEndsTheProgramAfterIt() {
        TestDevices devices;
        JobWindow job(devices);
        BoxAnswerer boxes({}, 25);
        job.DuringCopy([&] {
            job.form.Close1->trigger();
            QVERIFY(job.form.isVisible());
            QVERIFY(job.form.EndRequested());
            QTest::mouseClick(job.form.Button4, Qt::LeftButton);
        });
        QTest::mouseClick(job.form.Button1, Qt::LeftButton);
        QVERIFY(boxes.seen.empty());
        QVERIFY(job.Target() == job.sourceBytes);
        QVERIFY(!job.form.isVisible());
    }

    // Closing the program never says Yes to overwriting a disk.
    void closingAnswersNoToOverwritingADisk() {
        TestDevices devices;
        JobWindow job(devices, 1 << 20, QStringLiteral("PhysicalDrive1x"));
        BoxAnswerer boxes({}, 25);
        job.DuringCopy([&] { job.form.close(); });
        QTest::mouseClick(job.form.Button1, Qt::LeftButton);
        QVERIFY(boxes.seen.empty());
        QCOMPARE(TestDevices::ReadFile(devices.Disk1()), QByteArray(4 << 20, '\0'));
        QVERIFY(!job.form.isVisible());
    }

    void yesToTheQuestionOverwritesTheDisk() {
        TestDevices devices;
        JobWindow job(devices, 1 << 20, QStringLiteral("PhysicalDrive1x"));
        BoxAnswerer boxes(Yes);
        QTest::mouseClick(job.form.Button1, Qt::LeftButton);
        QCOMPARE(boxes.seen.size(), std::size_t{2});
        QCOMPARE(boxes.seen[0].buttons, (QStringList{kYes, kNo}));
        QCOMPARE(boxes.seen[0].defaultButton, kNo);
        QCOMPARE(boxes.seen[0].escapeButton, kNo);
        QVERIFY(TestDevices::ReadFile(devices.Disk1()).startsWith(job.sourceBytes));
    }

    // The question names the disk: its system name, model, serial, exact size and the file
    // systems that Yes would unmount. No leaves the disk alone.
    void deviceQuestionNamesTheDisk() {
        TestDevices devices;
        DeviceFolders folders;
        folders.AddDisk("sdz", 64 << 20, "8:208", "SanDisk Ultra", "4C530001");
        folders.AddPartition("sdz", "sdz1", "8:209", 2048, 65536);
        folders.Mount("sdz1", "8:209", "/media/stick", "vfat");
        const ScopedDeviceMap map(folders.Disks({"sdz"}));
        JobWindow job(devices, 1 << 20, QStringLiteral("PhysicalDrive0x"));
        BoxAnswerer boxes;
        QTest::mouseClick(job.form.Button1, Qt::LeftButton);
        const QString node = QString::fromStdString(folders.Node("sdz"));
        QCOMPARE(boxes.Texts(),
                 QStringList{QString::fromUtf8("目标 \\\\.\\PhysicalDrive0 上的所有数据将被覆盖。\n"
                                               "设备: %1\n"
                                               "型号: SanDisk Ultra\n"
                                               "序列号: 4C530001\n"
                                               "大小: 64.0 MB (67108864 字节)\n"
                                               "以下文件系统将被卸载:\n"
                                               "%2 (vfat) 挂载于 /media/stick\n"
                                               "是否继续?")
                                 .arg(node, QString::fromStdString(folders.Node("sdz1")))});
        QCOMPARE(TestDevices::ReadFile(QString::fromStdString(folders.Node("sdz"))),
                 QByteArray(64 << 20, '\0'));
        VerifyIdle(job.form);
    }

    // The root file system is never unmounted: refused before anything is asked.
    void rootFileSystemIsRefusedBeforeAsking() {
        TestDevices devices;
        DeviceFolders folders;
        folders.AddDisk("sdz", 64 << 20, "8:208");
        folders.AddPartition("sdz", "sdz1", "8:209", 2048, 65536);
        folders.Mount("sdz1", "8:209", "/", "ext4");
        const ScopedDeviceMap map(folders.Disks({"sdz"}));
        JobWindow job(devices, 1 << 20, QStringLiteral("PhysicalDrive0x"));
        BoxAnswerer boxes(Yes);
        QTest::mouseClick(job.form.Button1, Qt::LeftButton);
        QCOMPARE(boxes.seen.size(), std::size_t{1});
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
        QCOMPARE(boxes.seen[0].text,
                 QStringLiteral("Target \"\\\\.\\PhysicalDrive0\" cannot be written: the system's "
                                "root file system is mounted from %1 at \"/\".")
                     .arg(QString::fromStdString(folders.Node("sdz1"))));
        VerifyIdle(job.form);
    }

    // A disk with a mounted partition: Yes unmounts it and writes the disk; No leaves it
    // mounted and unwritten.
    void mountedDiskIsUnmountedOnYesOnly() {
        if (!LoopDevice::Available()) {
            QSKIP(LoopDevice::WhyUnavailable().c_str());
        }
        for (const bool yes : {false, true}) {
            TestDevices devices;
            LoopDevice loop(
                MountedFirstPartition(8 << 20, "label: dos\nstart=2048, size=8192, type=83\n"));
            const ScopedDeviceMap map(DisksOnly({loop.Node()}));
            JobWindow job(devices, 1 << 20, QStringLiteral("PhysicalDrive0x"));
            BoxAnswerer boxes(yes ? BoxAnswerer::Chooser(Yes) : BoxAnswerer::Chooser());
            QTest::mouseClick(job.form.Button1, Qt::LeftButton);
            QVERIFY(!boxes.seen.empty());
            QVERIFY2(boxes.seen[0].text.contains(
                         QString::fromStdString(loop.PartitionNode(1) + " (ext4) ") +
                         QString::fromUtf8("挂载于 ") + QString::fromStdString(loop.MountPoint())),
                     qPrintable(boxes.seen[0].text));
            const QByteArray disk = TestDevices::ReadFile(QString::fromStdString(loop.Node()));
            if (yes) {
                QCOMPARE(boxes.Texts().value(1), kComplete);
                QVERIFY(!IsMountPoint(loop.MountPoint()));
                QVERIFY(disk.startsWith(job.sourceBytes));
            } else {
                QCOMPARE(boxes.seen.size(), std::size_t{1});
                QVERIFY(IsMountPoint(loop.MountPoint()));
                QVERIFY(!disk.startsWith(job.sourceBytes));
            }
            VerifyIdle(job.form);
        }
    }

    void closingWhileIdleClosesAtOnce() {
        TForm1 form;
        form.show();
        QVERIFY(form.close());
        QVERIFY(!form.isVisible());
    }

    void aSourceThatCannotBeOpenedShowsTheExceptionBox() {
        TestDevices devices;
        JobWindow job(devices);
        QFile::remove(job.source);
        BoxAnswerer boxes;
        QTest::mouseClick(job.form.Button1, Qt::LeftButton);
        QCOMPARE(boxes.seen.size(), std::size_t{1});
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
        QCOMPARE(boxes.seen[0].title, kTitle);
        QCOMPARE(boxes.seen[0].buttons, QStringList{kOk});
        QVERIFY2(boxes.seen[0].text.startsWith(QStringLiteral("Cannot open file \"")),
                 qPrintable(boxes.seen[0].text));
        QVERIFY(!QFile::exists(job.target));
        VerifyIdle(job.form);
    }

    // The same image file chosen in the open and the save dialog: the job refuses it before
    // the save dialog's file is emptied, so the source keeps its data.
    void theSourceFileChosenAsTargetIsRefused() {
        TestDevices devices;
        JobWindow job(devices);
        job.target = job.source;
        job.Choose(*job.form.popd, job.form.Edit2, QStringLiteral("Saveimage"));
        BoxAnswerer boxes;
        QTest::mouseClick(job.form.Button1, Qt::LeftButton);
        QCOMPARE(boxes.seen.size(), std::size_t{1});
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
        QVERIFY2(boxes.seen[0].text.endsWith(
                     QStringLiteral("\" is the source; it cannot be the target as well.")),
                 qPrintable(boxes.seen[0].text));
        QVERIFY(TestDevices::ReadFile(job.source) == job.sourceBytes);
        VerifyIdle(job.form);
    }
};

static const bool registered = RegisterUiTest<WindowJobTest>();

#include "window_job_test.moc"
