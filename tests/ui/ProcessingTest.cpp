#include "ui/Processing.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace tavrel;

class ProcessingTest : public QObject {
    Q_OBJECT
private slots:
    void startShowsZeroAndClearsCancel() {
        TFrmProgress dialog;
        dialog.StartProgress("x");
        dialog.SetProgress(40);
        dialog.BitBtn1Click();
        QVERIFY(dialog.Cancelled());
        QVERIFY(dialog.isHidden());

        dialog.StartProgress("ただ今、データ形式の更新中．．．．");
        QVERIFY(!dialog.Cancelled());
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.isModal());
        QCOMPARE(dialog.windowTitle(), QString("ただ今、データ形式の更新中．．．．"));
        QCOMPARE(dialog.LblPercent->text(), QString("0 %"));
        QCOMPARE(dialog.ProgressBar1->value(), 0);
    }

    void percentagesAndHundred() {
        TFrmProgress dialog;
        dialog.StartProgress("t");
        dialog.SetProgress(75);
        QCOMPARE(dialog.LblPercent->text(), QString("75 %"));
        QCOMPARE(dialog.ProgressBar1->value(), 75);
        dialog.SetProgress(100);
        QVERIFY(dialog.isHidden());
        // 100 only hides: the label and the bar keep what they showed.
        QCOMPARE(dialog.LblPercent->text(), QString("75 %"));
        QCOMPARE(dialog.ProgressBar1->value(), 75);
        QVERIFY(!dialog.Cancelled());
    }

    void cancelKeepsValueUntilNextStart() {
        TFrmProgress dialog;
        dialog.StartProgress("t");
        QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
        QVERIFY(dialog.Cancelled());
        QVERIFY(dialog.isHidden());
        dialog.SetProgress(10);
        QVERIFY(dialog.Cancelled());
    }

    void escapePressesCancel() {
        TFrmProgress dialog;
        dialog.StartProgress("t");
        dialog.activateWindow();
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(dialog.Cancelled());
        QVERIFY(dialog.isHidden());
    }

    // A caller's loop sees a click that arrives while it reports progress.
    void clickReachesBusyCaller() {
        TFrmProgress dialog;
        dialog.StartProgress("t");
        QTimer::singleShot(0, dialog.BitBtn1, [&] { dialog.BitBtn1->click(); });
        int done = 0;
        const int n = 4;
        for (int k = 0; k < n; ++k) {
            dialog.SetProgress(k * 100 / n);
            if (dialog.Cancelled())
                break;
            ++done;
        }
        dialog.HideProgress();
        QCOMPARE(done, 0);
        QVERIFY(dialog.isHidden());
    }

    void layout() {
        TFrmProgress dialog;
        QCOMPARE(dialog.size(), QSize(285, 124));
        QCOMPARE(dialog.BitBtn1->geometry(), QRect(96, 48, 97, 25));
        QCOMPARE(dialog.BitBtn1->text(), QString("キャンセル"));
        QCOMPARE(dialog.LblPercent->geometry(), QRect(108, 78, 65, 17));
        QCOMPARE(dialog.ProgressBar1->height(), 18);
        QCOMPARE(dialog.ProgressBar1->width(), 285);
        QCOMPARE(dialog.ProgressBar1->maximum(), 100);
    }
};

QTEST_MAIN(ProcessingTest)
#include "ProcessingTest.moc"
