#include "widgets/ProgressDialog.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace tavrel;
using tavrel::test::Child;

namespace {
QPushButton* CancelButton(const ProgressDialog& d) {
    return Child<QPushButton>(d, "BitBtn1");
}
QLabel* Percent(const ProgressDialog& d) {
    return Child<QLabel>(d, "LblPercent");
}
QProgressBar* Bar(const ProgressDialog& d) {
    return Child<QProgressBar>(d, "ProgressBar1");
}
} // namespace

class ProgressDialogTest : public QObject {
    Q_OBJECT
private slots:
    void startShowsZeroAndClearsCancel() {
        ProgressDialog dialog;
        dialog.StartProgress("x");
        dialog.SetProgress(40);
        dialog.Cancel();
        QVERIFY(dialog.Cancelled());
        QVERIFY(dialog.isHidden());

        dialog.StartProgress("ただ今、データ形式の更新中．．．．");
        QVERIFY(!dialog.Cancelled());
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.isModal());
        QCOMPARE(dialog.windowTitle(), QString("ただ今、データ形式の更新中．．．．"));
        QCOMPARE(Percent(dialog)->text(), QString("0 %"));
        QCOMPARE(Bar(dialog)->value(), 0);
    }

    void percentagesAndHundred() {
        ProgressDialog dialog;
        dialog.StartProgress("t");
        dialog.SetProgress(75);
        QCOMPARE(Percent(dialog)->text(), QString("75 %"));
        QCOMPARE(Bar(dialog)->value(), 75);
        dialog.SetProgress(100);
        QVERIFY(dialog.isHidden());
        // 100 only hides: the label and the bar keep what they showed.
        QCOMPARE(Percent(dialog)->text(), QString("75 %"));
        QCOMPARE(Bar(dialog)->value(), 75);
        QVERIFY(!dialog.Cancelled());
    }

    void cancelKeepsValueUntilNextStart() {
        ProgressDialog dialog;
        dialog.StartProgress("t");
        QTest::mouseClick(CancelButton(dialog), Qt::LeftButton);
        QVERIFY(dialog.Cancelled());
        QVERIFY(dialog.isHidden());
        dialog.SetProgress(10);
        QVERIFY(dialog.Cancelled());
    }

    void escapePressesCancel() {
        ProgressDialog dialog;
        dialog.StartProgress("t");
        dialog.activateWindow();
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(dialog.Cancelled());
        QVERIFY(dialog.isHidden());
    }

    // A caller's loop sees a click that arrives while it reports progress.
    void clickReachesBusyCaller() {
        ProgressDialog dialog;
        dialog.StartProgress("t");
        QTimer::singleShot(0, CancelButton(dialog), [&] { CancelButton(dialog)->click(); });
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
        ProgressDialog dialog;
        QCOMPARE(dialog.size(), QSize(285, 124));
        QCOMPARE(CancelButton(dialog)->geometry(), QRect(96, 48, 97, 25));
        QCOMPARE(CancelButton(dialog)->text(), QString("キャンセル"));
        QCOMPARE(Percent(dialog)->geometry(), QRect(108, 78, 65, 17));
        QCOMPARE(Bar(dialog)->height(), 18);
        QCOMPARE(Bar(dialog)->width(), 285);
        QCOMPARE(Bar(dialog)->maximum(), 100);
    }
};

QTEST_MAIN(ProgressDialogTest)
#include "ProgressDialogTest.moc"
