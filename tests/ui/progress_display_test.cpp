// The gauge and the remaining-time pane: percentage text, the drawn bar, the tick handler and
// the tick count of each job.
#include <QAction>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ui/Unit1.h"
#include "ui/gauge_widget.h"
#include "ui_test_registry.h"

namespace {

// How many pixels of a row near the gauge's top edge (clear of the centred text) differ from
// the same row of the empty gauge.
int FilledPixels(QWidget& gauge, const QImage& empty) {
    const QImage image = gauge.grab().toImage();
    const int row = 3;
    int filled = 0;
    for (int x = 0; x < image.width(); ++x) {
        filled += image.pixel(x, row) != empty.pixel(x, row) ? 1 : 0;
    }
    return filled;
}

}  // namespace

class ProgressDisplayTest : public QObject {
    Q_OBJECT

  private slots:
    void gaugeShowsTheShareOfTheRange() {
        TForm1 form;
        form.show();
        struct Case {
            std::int32_t max;
            std::int32_t progress;
            const char* text;
        };
        const Case cases[] = {
            {0, 0, "0%"},               // empty range
            {1048576, 1048320, "99%"},  // never rounded up
            {1048576, 524288, "50%"},
            {100, 100, "100%"},
        };
        for (const Case& c : cases) {
            form.Gauge().SetMaxValue(c.max);
            form.Gauge().SetProgress(c.progress);
            QCOMPARE(form.gg->text(), QString::fromLatin1(c.text));
        }
        form.Gauge().SetMaxValue(100);
        form.Gauge().SetProgress(0);
        const QImage empty = form.gg->grab().toImage();
        form.Gauge().SetProgress(50);
        const int half = FilledPixels(*form.gg, empty);
        form.Gauge().SetProgress(100);
        const int full = FilledPixels(*form.gg, empty);
        QVERIFY2(half > 0 && half * 2 <= full && full <= half * 2 + 2,
                 qPrintable(QStringLiteral("%1 %2").arg(half).arg(full)));
    }

    void ticksWriteTheRemainingTime() {
        TForm1 form;
        form.Gauge().SetMaxValue(1048576);

        // Rate 0: the pane keeps its text.
        form.Timer1Timer();
        QCOMPARE(form.TickCount, 1);
        QVERIFY(form.EsTime->text().isEmpty());

        form.TickCount = 9;
        form.Gauge().SetProgress(204800);
        form.Timer1Timer();
        QCOMPARE(form.EsTime->text(), QString::fromUtf8("剩余时间: 0 : 41"));

        form.Gauge().SetProgress(0);
        form.Timer1Timer();
        QCOMPARE(form.EsTime->text(), QString::fromUtf8("剩余时间: 0 : 41"));
    }

    // Each job counts its own ticks: the estimate of a later job is not spread over the
    // ticks of the earlier ones.
    void lockingStartsTheTimerAndACountOfItsOwn() {
        TForm1 form;
        form.TickCount = 100;
        form.DisableControls();
        QCOMPARE(form.TickCount, 0);
        QVERIFY(form.Timer1->isActive());
        form.Gauge().SetMaxValue(1048576);
        form.Gauge().SetProgress(204800);
        form.TickCount = 9;
        form.Timer1Timer();
        QCOMPARE(form.EsTime->text(), QString::fromUtf8("剩余时间: 0 : 41"));
        form.EnableControls();
        QVERIFY(!form.Timer1->isActive());
    }

    // The timer ticks on while a box of the job is open.
    void timerTicksWhileABoxIsOpen() {
        TForm1 form;
        form.DisableControls();
        QTimer::singleShot(0, [&] {
            QTRY_VERIFY_WITH_TIMEOUT(form.TickCount >= 1, 10000);
            QApplication::activeModalWidget()->close();
        });
        form.ShowMessage("wait");
        QVERIFY(form.TickCount >= 1);
        form.EnableControls();
    }
};

static const bool registered = RegisterUiTest<ProgressDisplayTest>();

#include "progress_display_test.moc"
