#include "ui/MeasurementControl.h"
#include "UiTestSupport.h"
#include "acquisition/DeviceSwitch.h"
#include "acquisition/simulated/SimulatedCard.h"
#include "acquisition/simulated/SimulatedDevice.h"
#include "ui/MainWindow.h"
#include "ui/WaveformCharts.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <qcustomplot.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

using namespace tavrel;
using namespace tavrel::test;

namespace {

class Prompts final : public Prompter {
public:
    MessageAnswer ShowMessage(MessageKind, const Message& message, MessageButtons) override {
        Texts.push_back(Japanese(message));
        return MessageAnswer::Yes;
    }
    std::vector<std::string> Texts;
};

struct ControlStates {
    bool Start, Stop, File, Analysis, ChannelBox;
};

ControlStates States(MainWindow& w) {
    return {Form<QPushButton>(w, "BtnAdStart")->isEnabled(),
            Form<QPushButton>(w, "BtnAdStop")->isEnabled(), Menu<QMenu>(w, "File1")->isEnabled(),
            Menu<QMenu>(w, "Analysis1")->isEnabled(),
            Form<QComboBox>(w, "ComboChNum")->isEnabled()};
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

qint16 BurstCountOf(const QByteArray& sdf) {
    return static_cast<qint16>(static_cast<quint8>(sdf.at(223)) |
                               (static_cast<quint8>(sdf.at(224)) << 8));
}

// Runs f once the event loop gets to it after ms, between the measurement's steps.
void After(int ms, std::function<void()> f) {
    QTimer::singleShot(ms, qApp, std::move(f));
}

} // namespace

class MeasurementControlTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    SystemClock clock;
    std::unique_ptr<SimulatedCard> card;
    std::unique_ptr<SimulatedDevice> device;
    std::unique_ptr<MainWindow> window;
    MeasurementControl* control = nullptr;
    Prompts prompts;

    QString DataFile() const { return dir.filePath(QStringLiteral("ADdata.sdf")); }

    // The click starts the measurement and returns; the window's timer steps it from then on,
    // and the test waits for its end as the operator does.
    void StartAndWaitForTheEnd() {
        QTest::mouseClick(Form<QPushButton>(*window, "BtnAdStart"), Qt::LeftButton);
        QEventLoop loop;
        while (control->Run().Active())
            loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }

    // Two channels of 100 samples at 1 msec; bursts a second apart.
    void Parameters(int bursts) {
        MainEntries e = window->TakeEntries();
        e.ComboChNumText = "2";
        e.ComboChNumIndex = 1;
        e.GridRowCount = 3;
        e.EditDataNum = "100";
        e.EditSInterval = "1";
        e.ComboSampUnit = 1;
        e.EditIteration = std::to_string(bursts);
        e.EditBurstInterval = "1";
        e.ComboBoxBITUnit = 0;
        e.EditWaitTime = "0";
        e.RadioGroupFileType = 0;
        e.EditFileName = DataFile().toStdString();
        window->ApplyEntries(e);
    }

private slots:
    void init() {
        QVERIFY(dir.isValid());
        card = std::make_unique<SimulatedCard>(clock);
        device = std::make_unique<SimulatedDevice>(*card);
        MainWindowOptions options;
        options.ShowAboutBox = false;
        options.ExeDir = dir.path() + "/";
        options.ConfigDir = dir.path() + "/";
        options.RunClock = &clock;
        window = std::make_unique<MainWindow>(*device, options);
        window->RedirectMessages(&prompts);
        window->show();
        QVERIFY(QTest::qWaitFor([&] { return window->StartUpDone(); }, 5000));
        control = &window->Measurement();
        prompts.Texts.clear();
    }

    void cleanup() {
        control = nullptr;
        window.reset();
        device.reset();
        card.reset();
        QFile::remove(DataFile());
    }

    void aMeasurementRunsToItsEndFromAClick() {
        Parameters(2);
        ControlStates during{};
        int pointsDuring = -1;
        After(300, [&] {
            during = States(*window);
            pointsDuring = window->Charts().Series(0)->dataCount();
        });
        StartAndWaitForTheEnd();
        QVERIFY(!during.Start);
        QVERIFY(during.Stop);
        QVERIFY(!during.File);
        QVERIFY(!during.Analysis);
        QVERIFY(!during.ChannelBox);
        QVERIFY(pointsDuring >= 0);
        const ControlStates after = States(*window);
        QVERIFY(after.Start && !after.Stop && after.File && after.Analysis && after.ChannelBox);
        QCOMPARE(Form<QLineEdit>(*window, "EditPresentStatus")->text(), QStringLiteral("変換終了"));
        QCOMPARE(Form<QLineEdit>(*window, "EditTime")->text(), QString());
        QCOMPARE(Form<QProgressBar>(*window, "ProgressBar1")->value(), 0);
        // The charts hold the last burst, every point, the time axis from 0.
        QCOMPARE(window->Charts().Series(0)->dataCount(), 100);
        QCOMPARE(window->Charts().Series(1)->dataCount(), 100);
        QCOMPARE(window->Charts().Series(0)->dataMainKey(0), 0.0);
        // Laid out for the two channels the measurement took.
        QVERIFY(window->Charts().Chart(1)->isVisible());
        QVERIFY(!window->Charts().Chart(2)->isVisible());
        QCOMPARE(window->Charts().Chart(1)->y(), window->Charts().Chart(0)->height());
        const QByteArray sdf = ReadAll(DataFile());
        QCOMPARE(BurstCountOf(sdf), qint16(2));
        QCOMPARE(sdf.size(), 512 + 2 * 400);
        QVERIFY(prompts.Texts.empty());
        // Beside the status text: how many bursts went where.
        QCOMPARE(
            Form<QLineEdit>(*window, "EditPresentStatus")->toolTip(),
            QStringLiteral("2 回分のバーストをファイル「%1」に保存しました。").arg(DataFile()));
    }

    // A refused start shows the entry it is about: its page in front, the focus, a mark that
    // the next start takes away.
    void aRefusedStartPointsAtTheEntry() {
        const struct {
            std::function<void(MainEntries&)> Spoil;
            const char* Field;
        } cases[] = {
            {[](MainEntries& e) { e.EditDataNum = "0"; }, "EditDataNum"},
            {[](MainEntries& e) { e.EditIteration = "0"; }, "EditIteration"},
            {[](MainEntries& e) { e.GridCells[2][4] = "1e40"; }, "StringGridChannel"},
            {[](MainEntries& e) {
                 e.Trigger.Mode = 1;
                 e.Trigger.PreTrigger = "100";
             },
             "TriggerPreTrigger"},
        };
        auto* pages = window->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
        QVERIFY(pages);
        window->activateWindow();
        for (const auto& c : cases) {
            Parameters(1);
            pages->setCurrentIndex(0);
            MainEntries e = window->TakeEntries();
            c.Spoil(e);
            window->ApplyEntries(e);
            prompts.Texts.clear();
            QTest::mouseClick(Form<QPushButton>(*window, "BtnAdStart"), Qt::LeftButton);
            QCOMPARE(prompts.Texts.size(), std::size_t{1});
            QWidget* field = window->findChild<QWidget*>(QString::fromLatin1(c.Field));
            QVERIFY(field);
            QVERIFY2(pages->currentWidget()->isAncestorOf(field), c.Field);
            QTRY_VERIFY2(field->hasFocus(), c.Field);
            if (auto* grid = qobject_cast<QTableWidget*>(field)) {
                QCOMPARE(grid->currentRow(), 1);
                QCOMPARE(grid->currentColumn(), 4);
                QVERIFY(grid->item(1, 4)->data(Qt::BackgroundRole).isValid());
            } else {
                QVERIFY(!field->styleSheet().isEmpty());
            }
            // The next start, with the entry right, takes the mark away.
            Parameters(1);
            MainEntries mended = window->TakeEntries();
            mended.GridCells[2][4] = "0";
            mended.Trigger = TriggerEntries{};
            window->ApplyEntries(mended);
            StartAndWaitForTheEnd();
            QVERIFY(field->styleSheet().isEmpty());
            if (auto* grid = qobject_cast<QTableWidget*>(field))
                QVERIFY(!grid->item(1, 4)->data(Qt::BackgroundRole).isValid());
            QFile::remove(DataFile());
        }
    }

    // F5 starts as the start button does.
    void f5Starts() {
        Parameters(1);
        window->activateWindow();
        QTest::keyClick(window.get(), Qt::Key_F5);
        QEventLoop loop;
        while (control->Run().Active())
            loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        QCOMPARE(BurstCountOf(ReadAll(DataFile())), qint16(1));
        QCOMPARE(Menu<QAction>(*window, "O1")->shortcut(), QKeySequence(QKeySequence::Open));
        QCOMPARE(Menu<QAction>(*window, "Save1")->shortcut(), QKeySequence(QKeySequence::Save));
        QCOMPARE(Menu<QAction>(*window, "Exit1")->shortcut(), QKeySequence(QKeySequence::Quit));
    }

    void aClickOnStopEndsTheMeasurement() {
        Parameters(5);
        // Between the second and the third burst.
        After(1400,
              [&] { QTest::mouseClick(Form<QPushButton>(*window, "BtnAdStop"), Qt::LeftButton); });
        QElapsedTimer timer;
        timer.start();
        StartAndWaitForTheEnd();
        QVERIFY(timer.elapsed() < 3000);
        QCOMPARE(Form<QLineEdit>(*window, "EditPresentStatus")->text(), QStringLiteral("変換中止"));
        const ControlStates after = States(*window);
        QVERIFY(after.Start && !after.Stop && after.File && after.ChannelBox);
        const QByteArray sdf = ReadAll(DataFile());
        QCOMPARE(BurstCountOf(sdf), qint16(2));
        QCOMPARE(sdf.size(), 512 + 2 * 400);
        QCOMPARE(window->Charts().Series(1)->dataCount(), 100);
    }

    void escapeStopsInsideABurst() {
        Parameters(3);
        MainEntries e = window->TakeEntries();
        e.EditDataNum = "2000"; // 2 s a burst
        window->ApplyEntries(e);
        window->activateWindow();
        After(500, [&] { QTest::keyClick(window.get(), Qt::Key_Escape); });
        StartAndWaitForTheEnd();
        QCOMPARE(Form<QLineEdit>(*window, "EditPresentStatus")->text(), QStringLiteral("変換中止"));
        QCOMPARE(Form<QLineEdit>(*window, "TextStatus")->text(), QStringLiteral("停止"));
        QVERIFY(!card->Converting());
        const QByteArray sdf = ReadAll(DataFile());
        QCOMPARE(BurstCountOf(sdf), qint16(1));
        QCOMPARE(sdf.size(), 512 + 2 * 2 * 2000);
        // The interrupted burst: converted scans, then missing ones.
        const auto code = [&](int scan) {
            const int at = 512 + scan * 4;
            return static_cast<qint16>(static_cast<quint8>(sdf.at(at)) |
                                       (static_cast<quint8>(sdf.at(at + 1)) << 8));
        };
        QVERIFY(code(0) != ErrorData);
        QCOMPARE(code(1999), ErrorData);
    }

    // A modal box opened inside a burst and kept open over three bursts: every burst starts
    // on its schedule and is recorded whole while the box is open.
    void aModalBoxKeepsTheBurstsGoing() {
        Parameters(3);
        MainEntries e = window->TakeEntries();
        e.EditDataNum = "300"; // 0.3 s a burst, a second apart
        window->ApplyEntries(e);
        QElapsedTimer elapsed;
        std::vector<std::pair<QString, qint64>> statuses;
        connect(Form<QLineEdit>(*window, "EditPresentStatus"), &QLineEdit::textChanged, this,
                [&](const QString& text) { statuses.emplace_back(text, elapsed.elapsed()); });
        int countdownsInBox = 0;
        bool inBox = false;
        connect(Form<QLineEdit>(*window, "EditTime"), &QLineEdit::textChanged, this,
                [&] { countdownsInBox += inBox ? 1 : 0; });
        qint64 boxOpened = -1, boxClosed = -1;
        bool activeAtClose = true;
        After(100, [&] {
            QMessageBox box(QMessageBox::Information, QStringLiteral("TavrelREX"),
                            QStringLiteral("modal"), QMessageBox::Ok, window.get());
            // Precise: a coarse timer may fire up to 5 % early, under the 2.6 s checked below.
            QTimer::singleShot(2700, Qt::PreciseTimer, &box, [&] {
                activeAtClose = control->Run().Active();
                box.accept();
            });
            inBox = true;
            boxOpened = elapsed.elapsed();
            box.exec();
            boxClosed = elapsed.elapsed();
            inBox = false;
        });
        elapsed.start();
        StartAndWaitForTheEnd();
        QVERIFY(boxOpened >= 0 && boxClosed - boxOpened >= 2600);
        QVERIFY(!activeAtClose); // the whole measurement ended under the box
        const auto at = [&](const QString& text) {
            for (const auto& [shown, ms] : statuses)
                if (shown == text)
                    return ms;
            return qint64{-1};
        };
        const qint64 first = at(QStringLiteral("1回目の計測"));
        QVERIFY(first >= 0 && first < boxOpened);
        const qint64 second = at(QStringLiteral("2回目の計測"));
        const qint64 third = at(QStringLiteral("3回目の計測"));
        const qint64 done = at(QStringLiteral("変換終了"));
        QVERIFY2(std::abs(second - (first + 1000)) < 250, qPrintable(QString::number(second)));
        QVERIFY2(std::abs(third - (first + 2000)) < 250, qPrintable(QString::number(third)));
        QVERIFY2(done > third && done < boxClosed, qPrintable(QString::number(done)));
        QVERIFY(countdownsInBox > 10);
        // Every sample of the three bursts.
        const QByteArray sdf = ReadAll(DataFile());
        QCOMPARE(BurstCountOf(sdf), qint16(3));
        QCOMPARE(sdf.size(), 512 + 3 * 2 * 2 * 300);
        for (int pos = 512; pos < sdf.size(); pos += 2)
            QVERIFY(static_cast<qint16>(static_cast<quint8>(sdf.at(pos)) |
                                        (static_cast<quint8>(sdf.at(pos + 1)) << 8)) != ErrorData);
        QCOMPARE(Form<QLineEdit>(*window, "EditPresentStatus")->text(), QStringLiteral("変換終了"));
        QVERIFY(prompts.Texts.empty());
    }

    // The card's notifications reach the run as values: the end of the last burst shows the
    // scans the card counted.
    void driverNotificationsReachTheCardStatus() {
        Parameters(1);
        StartAndWaitForTheEnd();
        QCOMPARE(Form<QLineEdit>(*window, "TextStatus")->text(), QStringLiteral("変換終了[100]"));
        control->Run().DeviceEventArrived({DeviceEventKind::Converting, 0});
        QCOMPARE(Form<QLineEdit>(*window, "TextStatus")->text(), QStringLiteral("変換中"));
    }

    void closingTheWindowStopsAndCompletesFirst() {
        Parameters(3);
        MainEntries e = window->TakeEntries();
        e.EditDataNum = "2000";
        window->ApplyEntries(e);
        After(400, [&] { window->close(); });
        StartAndWaitForTheEnd();
        QVERIFY(!card->Converting());
        QVERIFY(!control->Run().Active());
        const QByteArray sdf = ReadAll(DataFile());
        QCOMPARE(BurstCountOf(sdf), qint16(1));
        QCOMPARE(sdf.size(), 512 + 2 * 2 * 2000);
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("default.apm"))));
    }

    void theDemoDeviceChosenOnTheCardPageRecordsAndIsRemembered() {
        control = nullptr;
        window.reset();
        DeviceSwitch devices(clock);
        MainWindowOptions options;
        options.ShowAboutBox = false;
        options.ExeDir = dir.path() + "/";
        options.ConfigDir = dir.path() + "/";
        options.RunClock = &clock;
        options.Devices = &devices;
        window = std::make_unique<MainWindow>(devices, options);
        window->RedirectMessages(&prompts);
        window->show();
        QVERIFY(QTest::qWaitFor([&] { return window->StartUpDone(); }, 5000));
        control = &window->Measurement();
        auto* choice = Form<QComboBox>(*window, "ComboDevice");
        QVERIFY(choice->isEnabled());
        QCOMPARE(choice->itemText(0), QStringLiteral("模擬カード"));
        QCOMPARE(Form<QLineEdit>(*window, "TextCardType")->text(), QStringLiteral("REX-5054U"));
        const int demo = choice->findText(QStringLiteral("Demo device")); // libsigrok's words
        QVERIFY(demo > 0);
        choice->setCurrentIndex(demo);
        QCOMPARE(devices.Selected().Name, std::string("demo"));
        QCOMPARE(Form<QLineEdit>(*window, "TextCardType")->text(), QStringLiteral("Demo device"));
        QCOMPARE(Form<QLineEdit>(*window, "TextAdrs")->text(), QStringLiteral("-"));
        QCOMPARE(Form<QLabel>(*window, "LabelDeviceChannels")->text(),
                 QStringLiteral("各行の装置の入力：A0, A1, A2, A3"));

        Parameters(2); // 1 kHz, which the demo device gives
        bool choiceDuring = true;
        After(150, [&] { choiceDuring = choice->isEnabled(); });
        StartAndWaitForTheEnd();
        QVERIFY(!choiceDuring); // no switching while it records
        QVERIFY(choice->isEnabled());
        QCOMPARE(Form<QLineEdit>(*window, "EditPresentStatus")->text(), QStringLiteral("変換終了"));
        // The demo's A0 and A1: a square and a sine of 10 V, as millivolt codes.
        const QByteArray sdf = ReadAll(DataFile());
        QCOMPARE(BurstCountOf(sdf), qint16(2));
        QCOMPARE(sdf.size(), 512 + 2 * 2 * 2 * 100);
        int peak = 0;
        for (int pos = 512; pos < sdf.size(); pos += 4) {
            const auto code = [&](int at) {
                return static_cast<qint16>(static_cast<quint8>(sdf.at(at)) |
                                           (static_cast<quint8>(sdf.at(at + 1)) << 8));
            };
            QCOMPARE(std::abs(code(pos)), 10000);
            QVERIFY(std::abs(code(pos + 2)) <= 10000);
            peak = std::max(peak, std::abs(static_cast<int>(code(pos + 2))));
        }
        QVERIFY(peak > 9500);
        QVERIFY(prompts.Texts.empty());

        // Remembered beside "default.apm", never in it.
        QVERIFY(ReadAll(dir.filePath(QStringLiteral("tavrelrex.ini"))).contains("demo"));
        QVERIFY(window->SaveDefaultParameters());
        QVERIFY(!ReadAll(dir.filePath(QStringLiteral("default.apm"))).contains("demo"));
        control = nullptr;
        window.reset();
        DeviceSwitch again(clock);
        options.Devices = &again;
        window = std::make_unique<MainWindow>(again, options);
        window->RedirectMessages(&prompts);
        window->show();
        QVERIFY(QTest::qWaitFor([&] { return window->StartUpDone(); }, 5000));
        QCOMPARE(Form<QComboBox>(*window, "ComboDevice")->currentText(),
                 QStringLiteral("Demo device"));
        QCOMPARE(again.Selected().Name, std::string("demo"));
        window.reset();
    }
};

QTEST_MAIN(MeasurementControlTest)
#include "MeasurementControlTest.moc"
