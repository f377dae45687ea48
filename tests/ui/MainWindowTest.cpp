#include "ui/MainWindow.h"
#include "UiTestSupport.h"
#include "datafiles/ParameterFile.h"
#include "datafiles/sdf/SdfFile.h"
#include "datafiles/tsd/TsdFile.h"
#include "text/ShiftJis.h"
#include "ui/AboutBox.h"
#include "ui/WaveformCharts.h"
#include "widgets/FormFonts.h"
#include "widgets/HelpWindow.h"
#include "widgets/ProgressDialog.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <qcustomplot.h>

#include <memory>

using namespace tavrel;
using namespace tavrel::test;

namespace {

QString Cell(MainWindow& w, int row, int column) {
    const QTableWidgetItem* item =
        Form<QTableWidget>(w, "StringGridChannel")->item(row - 1, column);
    return item ? item->text() : QString();
}

ProgressDialog& Progress(QObject& w) {
    return *Child<ProgressDialog>(w, "FrmProgress");
}

int VisibleRows(MainWindow& w) {
    int n = 0;
    for (int r = 0; r < Form<QTableWidget>(w, "StringGridChannel")->rowCount(); ++r)
        n += Form<QTableWidget>(w, "StringGridChannel")->isRowHidden(r) ? 0 : 1;
    return n;
}

void SelectChannels(MainWindow& w, int count) {
    Form<QComboBox>(w, "ComboChNum")->setCurrentIndex(count - 1);
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Answers the modal file dialog once it shows (gives up after about two seconds).
void AnswerFileDialog(bool* seen, const QString& choose = QString(), int tries = 100) {
    QTimer::singleShot(20, [seen, choose, tries] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (tries > 0)
                AnswerFileDialog(seen, choose, tries - 1);
            return;
        }
        *seen = true;
        if (choose.isEmpty()) {
            dialog->reject();
        } else {
            // Typed into the name box, as selectFile skips a box that has the focus.
            if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit"))
                name->setText(choose);
            else
                dialog->selectFile(choose);
            QMetaObject::invokeMethod(dialog, "accept");
        }
    });
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    // With no default.apm and a card: every control as the window starts.
    void startUpState() {
        QTemporaryDir dir;
        DetectOnlyCard card(2, 1, 768, 10);
        RecordingPrompter prompter{MessageAnswer::No};
        auto w = StartWindow(card, prompter, dir.path(), dir.filePath("config"));
        QVERIFY(w);
        QVERIFY(prompter.Messages.empty());

        QCOMPARE(Form<QLineEdit>(*w, "TextCardType")->text(), QString("REX-5054U"));
        QCOMPARE(Form<QLineEdit>(*w, "TextAdrs")->text(), QString("768"));
        QCOMPARE(Form<QLineEdit>(*w, "TextIrqNo")->text(), QString("10"));
        QCOMPARE(Form<QLineEdit>(*w, "TextStatus")->text(), QString("停止"));
        // Each row of the channel table and the card's input it records.
        QCOMPARE(Form<QLabel>(*w, "LabelDeviceChannels")->text(),
                 QString("各行の装置の入力：CH0, CH1, CH2, CH3"));

        QCOMPARE(Form<QLineEdit>(*w, "EditWaitTime")->text(), QString("0"));
        QCOMPARE(Form<QLineEdit>(*w, "EditIteration")->text(), QString("1"));
        QCOMPARE(Form<QLineEdit>(*w, "EditBurstInterval")->text(), QString("1"));
        QCOMPARE(Form<QComboBox>(*w, "ComboBoxBITUnit")->currentText(), QString("hr"));
        QCOMPARE(Form<QComboBox>(*w, "ComboBoxBITUnit")->currentIndex(), 2);
        QCOMPARE(Form<QLineEdit>(*w, "EditSInterval")->text(), QString("100"));
        QCOMPARE(Form<QComboBox>(*w, "ComboSampUnit")->currentText(), QString("msec"));
        QCOMPARE(Form<QComboBox>(*w, "ComboSampUnit")->currentIndex(), 1);
        QCOMPARE(Form<QLineEdit>(*w, "EditDataNum")->text(), QString("512"));

        QCOMPARE(Form<QComboBox>(*w, "ComboChNum")->currentText(), QString("1"));
        QCOMPARE(Form<QComboBox>(*w, "ComboChNum")->count(), 4);
        QCOMPARE(VisibleRows(*w), 1);
        QCOMPARE(Cell(*w, 1, 0), QString("0"));
        QCOMPARE(Cell(*w, 1, 1), QString("Ch.1"));
        QCOMPARE(Cell(*w, 1, 2), QString("mV"));
        QCOMPARE(Cell(*w, 1, 3), QString("1"));
        QCOMPARE(Cell(*w, 1, 4), QString("0"));
        QCOMPARE(Form<QTableWidget>(*w, "StringGridChannel")->horizontalHeaderItem(1)->text(),
                 QString("項目名"));
        QCOMPARE(Form<QLineEdit>(*w, "Edit1")->text(), QString("変換式：Y = AX + B"));

        QCOMPARE(Form<QPlainTextEdit>(*w, "Memo1")->toPlainText(), QString());
        QCOMPARE(Form<QButtonGroup>(*w, "RadioGroupFileTypeButtons")->checkedId(), 0);
        QCOMPARE(Form<QLineEdit>(*w, "EditFileName")->text(),
                 QDir(dir.path()).filePath("ADdata.sdf"));
        QCOMPARE(Form<QTabWidget>(*w, "PageControl1")->currentWidget(),
                 Form<QWidget>(*w, "TabSheet3"));
        QCOMPARE(Form<QTabWidget>(*w, "PageControl1")->tabText(0), QString("カード情報"));
        QCOMPARE(Form<QTabWidget>(*w, "PageControl1")->tabText(1), QString("計測ﾊﾟﾗﾒｰﾀ"));
        QCOMPARE(Form<QTabWidget>(*w, "PageControl1")->tabText(2), QString("記録ﾁｬﾝﾈﾙ"));
        QCOMPARE(Form<QTabWidget>(*w, "PageControl1")->tabText(3), QString("保存"));
        QCOMPARE(Form<QTabWidget>(*w, "PageControl1")->tabText(4), QString("トリガ"));
        // Every tab within the panel: they cannot scroll or wrap.
        QTabBar* tabs = Form<QTabWidget>(*w, "PageControl1")->tabBar();
        QVERIFY(tabs->tabRect(4).right() < Form<QWidget>(*w, "Panel1")->width());
        // The schedule starts the bursts: what only a trigger uses takes no input.
        QCOMPARE(Form<QButtonGroup>(*w, "TriggerModeGroup")->checkedId(), 0);
        QVERIFY(!Form<QLineEdit>(*w, "TriggerLevel")->isEnabled());
        QVERIFY(!Form<QComboBox>(*w, "TriggerChannel")->isEnabled());
        QCOMPARE(Form<QLineEdit>(*w, "TriggerHysteresis")->placeholderText(), QString("既定"));
        QCOMPARE(w->TakeEntries().Trigger, TriggerEntries{});

        QCOMPARE(Form<QLineEdit>(*w, "EditPresentStatus")->text(), QString("未変換"));
        QCOMPARE(Form<QLineEdit>(*w, "EditTime")->text(), QString());
        QVERIFY(Form<QPushButton>(*w, "BtnAdStart")->isEnabled());
        QVERIFY(!Form<QPushButton>(*w, "BtnAdStop")->isEnabled());
        QVERIFY(Menu<QMenu>(*w, "File1")->menuAction()->isEnabled());
        QVERIFY(Menu<QMenu>(*w, "Analysis1")->menuAction()->isEnabled());

        QVERIFY(Own<QTimer>(*w, "Timer1")->isActive());
        QCOMPARE(Own<QTimer>(*w, "Timer1")->interval(), 100);
        QVERIFY(w->windowTitle().startsWith("AD変換データ収集システム TavrelREX        20"));
        QCOMPARE(w->windowTitle().size(), QString(CaptionText).size() + 19);

        // Validated at start-up: the chart shows the defaults' time unit.
        QCOMPARE(w->Settings().ChartTimeUnit, std::string("sec"));
        QCOMPARE(w->Settings().RingBufferSize, 544);
        QCOMPARE(w->Charts().Chart(0)->xAxis->label(), QString("時間 (sec)"));
        QCOMPARE(w->Charts().Chart(0)->height(), Form<QWidget>(*w, "Panel2")->height());
        QVERIFY(w->Charts().Chart(1)->isHidden());

        QCOMPARE(Own<QFileDialog>(*w, "OpenDialog1")->nameFilters().first(),
                 QString("Parameter files (*.apm,*.sdf,*.tsd) (*.apm *.sdf *.tsd)"));
        QCOMPARE(Own<QFileDialog>(*w, "SaveDialog2")->nameFilters().first(),
                 QString("Parameter files (*.apm) (*.apm)"));
        QCOMPARE(QDir(Own<QFileDialog>(*w, "OpenDialog1")->directory()).canonicalPath(),
                 QDir(dir.path()).canonicalPath());
        QCOMPARE(QDir(Own<QFileDialog>(*w, "SaveDialog2")->directory()).canonicalPath(),
                 QDir(dir.path()).canonicalPath());
    }

    void noCard() {
        QTemporaryDir dir;
        DetectOnlyCard card(-1);
        RecordingPrompter prompter{MessageAnswer::No};
        auto w = StartWindow(card, prompter, dir.path(), dir.filePath("config"));
        QVERIFY(w);
        QCOMPARE(card.detectCalls, 5); // slots 0 to 4
        QCOMPARE(Form<QLineEdit>(*w, "TextCardType")->text(), QString("No Card in Slot"));
        QCOMPARE(Form<QLineEdit>(*w, "TextAdrs")->text(), QString());
        QCOMPARE(Form<QLineEdit>(*w, "TextIrqNo")->text(), QString());
        QCOMPARE(Form<QLabel>(*w, "LabelDeviceChannels")->text(), QString());
        QVERIFY(!Form<QPushButton>(*w, "BtnAdStart")->isEnabled());
        QVERIFY(!Form<QPushButton>(*w, "BtnAdStop")->isEnabled());
        QCOMPARE(prompter.Messages.size(), std::size_t(1));
        QCOMPARE(prompter.Messages[0].Kind, MessageKind::Information);
        QCOMPARE(prompter.Messages[0].Text, std::string("AD変換カードが入っていません。"));
        // Everything else still works.
        QVERIFY(Menu<QMenu>(*w, "File1")->menuAction()->isEnabled());
        QCOMPARE(Form<QLineEdit>(*w, "EditPresentStatus")->text(), QString("未変換"));
    }

    void layoutAndMenus() {
        QTemporaryDir dir;
        DetectOnlyCard card(0, 2);
        RecordingPrompter prompter{MessageAnswer::No};
        auto w = StartWindow(card, prompter, dir.path(), dir.filePath("config"));
        QVERIFY(w);
        QCOMPARE(Form<QLineEdit>(*w, "TextCardType")->text(), QString("REX-5054B"));
        QCOMPARE(Form<QWidget>(*w, "Panel1")->width(), 264);
        QCOMPARE(Form<QWidget>(*w, "Panel1")->geometry().right(), w->centralWidget()->width() - 1);
        QCOMPARE(Form<QWidget>(*w, "Panel2")->width() + 264, w->centralWidget()->width());
        QCOMPARE(Form<QGroupBox>(*w, "GroupBox2")->height(), 90);
        QCOMPARE(Form<QPlainTextEdit>(*w, "Memo1")->geometry(), QRect(8, 24, 233, 73));
        QCOMPARE(Form<QLineEdit>(*w, "EditSInterval")->geometry(), QRect(112, 128, 57, 20));
        QCOMPARE(Form<QPushButton>(*w, "BtnAdStart")->geometry(), QRect(40, 12, 65, 25));
        QCOMPARE(Form<QTableWidget>(*w, "StringGridChannel")->geometry(), QRect(0, 72, 278, 109));
        const int widths[] = {30, 63, 44, 57, 53};
        for (int c = 0; c < 5; ++c)
            QCOMPARE(Form<QTableWidget>(*w, "StringGridChannel")->columnWidth(c), widths[c]);
        QCOMPARE(w->font().family(), QString("ＭＳ Ｐゴシック"));
        QCOMPARE(w->font().pixelSize(), 12);

        // Tab order of the parameter page.
        QCOMPARE(Form<QLineEdit>(*w, "EditSInterval")->nextInFocusChain(),
                 static_cast<QWidget*>(Form<QComboBox>(*w, "ComboSampUnit")));
        QWidget* next = Form<QComboBox>(*w, "ComboSampUnit");
        while (next && next->parentWidget() == Form<QComboBox>(*w, "ComboSampUnit"))
            next = next->nextInFocusChain();
        QVERIFY(next);

        QStringList captions;
        for (QAction* menu : w->menuBar()->actions()) {
            captions << menu->text();
            for (QAction* item : menu->menu()->actions())
                captions << (item->isSeparator() ? QString("-") : item->text());
        }
        QCOMPARE(
            captions,
            QStringList({"ファイル(&F)", "計測パラメータの読込み(&O)", "計測パラメータの保存(&S)",
                         "-", "終了(&Q)", "データ解析(&A)", "Vendraskの実行(&E)", "-",
                         "プログラムファイルの指定(&A)", "-", "ビューアで表示(&V)", "ヘルプ(&H)",
                         "目次(&C)", "キーワード検索(&K)", "-", "バージョン情報(&V)"}));
        // The trigger page is locked while a measurement runs, whatever its mode.
        Form<QButtonGroup>(*w, "TriggerModeGroup")->button(1)->click();
        QVERIFY(Form<QLineEdit>(*w, "TriggerLevel")->isEnabled());
        w->ShowRunState(RunState::Converting);
        QVERIFY(!Form<QLineEdit>(*w, "TriggerLevel")->isEnabled());
        QVERIFY(!Form<QRadioButton>(*w, "TriggerModeItem0")->isEnabled());
        QVERIFY(!Menu<QMenu>(*w, "File1")->menuAction()->isEnabled());
        QVERIFY(!Menu<QMenu>(*w, "Analysis1")->menuAction()->isEnabled());
        QVERIFY(Menu<QMenu>(*w, "V1")->menuAction()->isEnabled());
        w->ShowRunState(RunState::Idle);
        QVERIFY(Menu<QMenu>(*w, "File1")->menuAction()->isEnabled());
        QVERIFY(Form<QLineEdit>(*w, "TriggerLevel")->isEnabled());
        Form<QButtonGroup>(*w, "TriggerModeGroup")->button(0)->click();
        QVERIFY(!Form<QLineEdit>(*w, "TriggerLevel")->isEnabled());

        // The layout after a resize stores a channel count of 0 back as the one chart it shows.
        w->Data().Header.ChannelCount = 0;
        w->resize(w->width() + 20, w->height());
        QVERIFY(QTest::qWaitFor([&] { return w->Data().Header.ChannelCount == 1; }, 2000));
    }

    // Rows 0..3 right after start-up; hidden rows keep their texts; a bad count changes nothing.
    void channelBox() {
        QTemporaryDir dir;
        DetectOnlyCard card(0);
        RecordingPrompter prompter{MessageAnswer::No};
        auto w = StartWindow(card, prompter, dir.path(), dir.filePath("config"));
        QVERIFY(w);
        SelectChannels(*w, 4);
        QCOMPARE(w->Data().Header.ChannelCount, 4);
        QCOMPARE(VisibleRows(*w), 4);
        for (int r = 1; r <= 4; ++r) {
            QCOMPARE(Cell(*w, r, 0), QString::number(r - 1));
            QCOMPARE(Cell(*w, r, 1), QString("Ch.%1").arg(r));
        }
        Form<QTableWidget>(*w, "StringGridChannel")->item(3, 1)->setText("温度");
        SelectChannels(*w, 2);
        QCOMPARE(VisibleRows(*w), 2);
        QCOMPARE(Cell(*w, 4, 1), QString("温度"));
        SelectChannels(*w, 4);
        QVERIFY(!Form<QTableWidget>(*w, "StringGridChannel")->isRowHidden(3));
        QCOMPARE(Cell(*w, 4, 1), QString("温度"));

        Form<QComboBox>(*w, "ComboChNum")->setEditText("");
        QVERIFY(prompter.Messages.empty());
        Form<QComboBox>(*w, "ComboChNum")->setEditText("x3");
        QCOMPARE(prompter.Messages.size(), std::size_t(1));
        QCOMPARE(prompter.Messages[0].Kind, MessageKind::Error);
        QCOMPARE(w->Data().Header.ChannelCount, 4);
        QCOMPARE(VisibleRows(*w), 4);
        // A typed count beyond what the window shows is refused the same way.
        Form<QComboBox>(*w, "ComboChNum")->setEditText("6");
        QCOMPARE(prompter.Messages.size(), std::size_t(2));
        QCOMPARE(w->Data().Header.ChannelCount, 4);
        QCOMPARE(VisibleRows(*w), 4);
        Form<QComboBox>(*w, "ComboChNum")->setEditText("2");
        QCOMPARE(w->Data().Header.ChannelCount, 2);
        QCOMPARE(VisibleRows(*w), 2);
    }

    void fileTypeSwitchesExtension() {
        QTemporaryDir dir;
        DetectOnlyCard card(0);
        RecordingPrompter prompter{MessageAnswer::No};
        auto w = StartWindow(card, prompter, dir.path(), dir.filePath("config"));
        QVERIFY(w);
        Form<QLineEdit>(*w, "EditFileName")->setText("C:\\data.old\\run");
        QTest::mouseClick(Form<QButtonGroup>(*w, "RadioGroupFileTypeButtons")->button(1),
                          Qt::LeftButton, {}, QPoint(5, 9));
        QCOMPARE(Form<QLineEdit>(*w, "EditFileName")->text(), QString("C:\\data.old\\run.tsd"));
        QTest::mouseClick(Form<QButtonGroup>(*w, "RadioGroupFileTypeButtons")->button(0),
                          Qt::LeftButton, {}, QPoint(5, 9));
        QCOMPARE(Form<QLineEdit>(*w, "EditFileName")->text(), QString("C:\\data.old\\run.sdf"));
    }

    // A long data-file path shows its end, the whole of it as the tooltip; the text is whole.
    void longDataFilePathShowsItsEnd() {
        QTemporaryDir dir;
        DetectOnlyCard card(0);
        RecordingPrompter prompter{MessageAnswer::No};
        auto w = StartWindow(card, prompter, dir.path(), dir.filePath("config"));
        QVERIFY(w);
        auto* edit = Form<QLineEdit>(*w, "EditFileName");
        const QString path = "/home/operator/measurements/2026/december/line-3/vibration-run.sdf";
        edit->setText(path);
        QCOMPARE(edit->text(), path);
        QCOMPARE(edit->toolTip(), path);
        QCOMPARE(edit->cursorPosition(), path.size());
        // So does a path that the entries bring (a parameter file, the start-up).
        MainEntries e = w->TakeEntries();
        e.EditFileName = path.toStdString() + "x";
        w->ApplyEntries(e);
        QCOMPARE(edit->cursorPosition(), path.size() + 1);
        QCOMPARE(edit->toolTip(), path + "x");
    }

    // Closing writes default.apm; the next start restores every control.
    void settingsSurviveARestart() {
        QTemporaryDir dir;
        DetectOnlyCard card(0);
        RecordingPrompter prompter{MessageAnswer::No};
        MainEntries saved;
        {
            auto w = StartWindow(card, prompter, dir.path(), dir.filePath("config"));
            QVERIFY(w);
            Form<QLineEdit>(*w, "EditWaitTime")->setText("2.5");
            Form<QLineEdit>(*w, "EditIteration")->setText("3");
            Form<QLineEdit>(*w, "EditBurstInterval")->setText("10");
            Form<QComboBox>(*w, "ComboBoxBITUnit")->setCurrentIndex(1);
            Form<QLineEdit>(*w, "EditSInterval")->setText("20");
            Form<QComboBox>(*w, "ComboSampUnit")->setCurrentIndex(2);
            Form<QLineEdit>(*w, "EditDataNum")->setText("1000");
            SelectChannels(*w, 3);
            Form<QTableWidget>(*w, "StringGridChannel")->item(1, 1)->setText("圧力 A");
            Form<QTableWidget>(*w, "StringGridChannel")->item(1, 2)->setText("kPa");
            Form<QTableWidget>(*w, "StringGridChannel")->item(1, 3)->setText("0.5");
            Form<QTableWidget>(*w, "StringGridChannel")->item(2, 4)->setText("-1.25");
            Form<QPlainTextEdit>(*w, "Memo1")->setPlainText("it's 試験");
            QTest::mouseClick(Form<QButtonGroup>(*w, "RadioGroupFileTypeButtons")->button(1),
                              Qt::LeftButton, {}, QPoint(5, 9));
            Form<QLineEdit>(*w, "EditFileName")->setText(dir.filePath("runs/テスト.tsd"));
            w->SetApplicationPath(dir.filePath("bin/analyse"));
            Form<QButtonGroup>(*w, "TriggerModeGroup")->button(1)->click();
            Form<QComboBox>(*w, "TriggerChannel")->setCurrentIndex(2);
            Form<QComboBox>(*w, "TriggerEdge")->setCurrentIndex(1);
            Form<QLineEdit>(*w, "TriggerLevel")->setText("1.5");
            Form<QLineEdit>(*w, "TriggerPreTrigger")->setText("25");
            Form<QLineEdit>(*w, "TriggerHoldOff")->setText("0.5");
            Form<QLineEdit>(*w, "TriggerAutoTimeout")->setText("3");
            saved = w->TakeEntries();
            QCOMPARE(saved.Trigger, (TriggerEntries{1, 2, 1, "1.5", "", "25", "0.5", "3"}));
            QSignalSpy ended(w.get(), &MainWindow::ProgramEnded);
            QVERIFY(w->close());
            QCOMPARE(ended.count(), 1);
            QVERIFY(QFile::exists(dir.filePath("default.apm")));
        }
        auto w = StartWindow(card, prompter, dir.path(), dir.filePath("config"));
        QVERIFY(w);
        const MainEntries restored = w->TakeEntries();
        QCOMPARE(restored.EditWaitTime, saved.EditWaitTime);
        QCOMPARE(restored.EditIteration, saved.EditIteration);
        QCOMPARE(restored.EditBurstInterval, saved.EditBurstInterval);
        QCOMPARE(restored.ComboBoxBITUnit, 1);
        QCOMPARE(restored.EditSInterval, saved.EditSInterval);
        QCOMPARE(restored.ComboSampUnit, 2);
        QCOMPARE(restored.EditDataNum, saved.EditDataNum);
        QCOMPARE(Form<QComboBox>(*w, "ComboChNum")->currentText(), QString("3"));
        QCOMPARE(VisibleRows(*w), 3);
        for (int r = 1; r <= 3; ++r) {
            QCOMPARE(Cell(*w, r, 0), QString::number(r)); // loaded rows count from 1
            for (int c = 1; c < 5; ++c)
                QCOMPARE(Cell(*w, r, c), QString::fromStdString(saved.GridCells[r][c]));
        }
        QCOMPARE(Form<QPlainTextEdit>(*w, "Memo1")->toPlainText(), QString("it's 試験"));
        QCOMPARE(Form<QButtonGroup>(*w, "RadioGroupFileTypeButtons")->checkedId(), 1);
        QCOMPARE(Form<QLineEdit>(*w, "EditFileName")->text(), dir.filePath("runs/テスト.tsd"));
        QCOMPARE(w->ApplicationPath(), dir.filePath("bin/analyse"));
        QCOMPARE(restored.Trigger, saved.Trigger);
        QVERIFY(Form<QLineEdit>(*w, "TriggerLevel")->isEnabled());
        QVERIFY(prompter.Messages.empty());
    }

    // Four channels and a sample count that cannot be read: the check fails at start-up after
    // taking the count, and the charts still show four of them, stacked, with a time unit.
    void startUpCheckFailureStillLaysOutTheCharts() {
        QTemporaryDir dir;
        MainEntries entries = DefaultMainEntries(dir.path().toStdString() + "/");
        entries.EditDataNum = "12x";
        MeasurementHeader header = DefaultMeasurementHeader();
        header.ChannelCount = 4;
        SaveParameterFile(entries, header, dir.filePath("default.apm").toStdString());
        DetectOnlyCard card(0);
        RecordingPrompter prompter{MessageAnswer::No};
        auto w = StartWindow(card, prompter, dir.path(), dir.filePath("config"));
        QVERIFY(w);
        QCOMPARE(prompter.Messages.size(), std::size_t{1}); // the check's message
        QCOMPARE(w->Data().Header.ChannelCount, std::int16_t{4});
        const int panelHeight = Form<QWidget>(*w, "Panel2")->height();
        const int panelWidth = Form<QWidget>(*w, "Panel2")->width();
        const int h = panelHeight / 4;
        for (int k = 0; k < 4; ++k) {
            QVERIFY(!w->Charts().Chart(k)->isHidden());
            QCOMPARE(w->Charts().Chart(k)->geometry(), QRect(0, k * h, panelWidth, h));
        }
        const QString time = w->Charts().Chart(3)->xAxis->label();
        QVERIFY2(time.startsWith("時間 (") && !time.contains("()"), qPrintable(time));
        QCOMPARE(w->Charts().Chart(0)->xAxis->label(), QString());
    }

    // The remaining scans of a long burst fit the box whole, its label included.
    void longScanCountsFitTheTimeBox() {
        QTemporaryDir dir;
        DetectOnlyCard card(0);
        RecordingPrompter prompter{MessageAnswer::No};
        auto w = StartWindow(card, prompter, dir.path(), dir.filePath("config"));
        QVERIFY(w);
        auto* edit = Form<QLineEdit>(*w, "EditTime");
        const QRect geometry = edit->geometry();
        // Whole: the cursor moves over the full text without the box scrolling.
        const auto cursor = [&] {
            return edit->inputMethodQuery(Qt::ImCursorRectangle).toRectF().toRect();
        };
        const auto shownWhole = [&](const QString& text) {
            w->ShowTime(text);
            edit->end(false);
            edit->grab(); // the scroll is worked out when painted
            const int endX = cursor().center().x();
            edit->home(false);
            edit->grab();
            const int homeX = cursor().center().x();
            const bool whole = endX - homeX == QFontMetrics(edit->font()).horizontalAdvance(text) &&
                               endX < edit->width();
            if (!whole)
                qWarning("%s: cursor from %d to %d, text %d px at %d px, box %d px",
                         qPrintable(text), homeX, endX,
                         QFontMetrics(edit->font()).horizontalAdvance(text),
                         QFontInfo(edit->font()).pixelSize(), edit->width());
            return whole;
        };
        const int formSize = QFontInfo(edit->font()).pixelSize();
        QVERIFY(shownWhole(QString("残り変換回数：42")));
        QCOMPARE(QFontInfo(edit->font()).pixelSize(), formSize);
        for (const char* digits : {"454434", "4544340", "2147483615"}) {
            const QString text = QString("残り変換回数：") + digits;
            QVERIFY2(shownWhole(text), digits);
            QCOMPARE(edit->text(), text);
        }
        QVERIFY(QFontInfo(edit->font()).pixelSize() >= 8);
        // A short text again: the form's size, and the box never moved.
        QVERIFY(shownWhole(QString("残り時間：00:00:01")));
        QCOMPARE(QFontInfo(edit->font()).pixelSize(), formSize);
        QCOMPARE(edit->geometry(), geometry);
    }

    // Quit from the menu writes the same file as closing the window.
    void quitWritesDefaults() {
        QTemporaryDir dir;
        DetectOnlyCard card(0);
        RecordingPrompter prompter{MessageAnswer::No};
        auto w = StartWindow(card, prompter, dir.path(), dir.filePath("config"));
        QVERIFY(w);
        Form<QLineEdit>(*w, "EditDataNum")->setText("777");
        QSignalSpy ended(w.get(), &MainWindow::ProgramEnded);
        Menu<QAction>(*w, "Exit1")->trigger();
        QCOMPARE(ended.count(), 1);
        QVERIFY(!w->isVisible());
        QVERIFY(ReadAll(dir.filePath("default.apm")).contains("\r\n777\r\n"));
    }

    // An unwritable program directory: settings go to the configuration directory silently;
    // when that fails too the operator is asked and can still quit.
    void settingsFallBackAndProgramStaysClosable() {
        QTemporaryDir dir;
        DetectOnlyCard card(0);
        RecordingPrompter prompter{MessageAnswer::No};
        const QString missingExeDir = dir.filePath("no/such/dir");
        {
            auto w = StartWindow(card, prompter, missingExeDir, dir.filePath("config"));
            QVERIFY(w);
            QCOMPARE(w->SettingsDir(), dir.filePath("config") + "/");
            QCOMPARE(Form<QLineEdit>(*w, "EditFileName")->text(),
                     dir.filePath("config/ADdata.sdf"));
            Form<QLineEdit>(*w, "EditDataNum")->setText("4096");
            QVERIFY(w->close());
            QVERIFY(QFile::exists(dir.filePath("config/default.apm")));
        }
        {
            auto w = StartWindow(card, prompter, missingExeDir, dir.filePath("config"));
            QVERIFY(w);
            QCOMPARE(Form<QLineEdit>(*w, "EditDataNum")->text(), QString("4096"));
        }
        QVERIFY(prompter.Messages.empty());

        // Neither place can be written: a file stands where the directories would be.
        QFile blocker(dir.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        auto w =
            StartWindow(card, prompter, dir.filePath("blocker/exe"), dir.filePath("blocker/cfg"));
        QVERIFY(w);
        QSignalSpy ended(w.get(), &MainWindow::ProgramEnded);
        prompter.Answers = {MessageAnswer::No};
        QVERIFY(!w->close());
        QVERIFY(w->isVisible());
        QCOMPARE(ended.count(), 0);
        QCOMPARE(prompter.Messages.back().Kind, MessageKind::Error);
        QCOMPARE(prompter.Messages.back().Buttons, MessageButtons::YesNo);
        prompter.Answers = {MessageAnswer::Yes};
        QVERIFY(w->close());
        QCOMPARE(ended.count(), 1);
    }

    // The header of an sdf or tsd file fills the parameter controls only.
    void loadHeaderFromDataFiles() {
        QTemporaryDir dir;
        DetectOnlyCard card(0);
        RecordingPrompter prompter{MessageAnswer::No};
        auto w = StartWindow(card, prompter, dir.path(), dir.filePath("config"));
        QVERIFY(w);
        Form<QLineEdit>(*w, "EditWaitTime")->setText("9");
        const QString path = Form<QLineEdit>(*w, "EditFileName")->text();

        SDFdata source;
        source.Header.ChannelCount = 2;
        source.Header.SampleCount = 2048;
        source.Header.SamplingInterval = 50;
        source.Header.SamplingUnit = 0; // usec
        source.Header.BurstCount = 7;
        source.Header.BurstInterval = 30;
        source.Header.BurstUnit = 3; // min
        source.Header.Comment.Assign(*Utf8ToCp932("振動試験"));
        source.Header.ChannelName[1].Assign(*Utf8ToCp932("加速度"));
        source.Header.ChannelUnit[1].Assign("G");
        source.Header.CoefA[1] = 1.5e-7f;
        source.Header.CoefB[1] = -0.25f;
        QVERIFY_THROWS_NO_EXCEPTION(WriteSdfHeader(source.Header, S(dir.filePath("a.sdf"))));

        w->LoadParametersFrom(dir.filePath("a.sdf"));
        QCOMPARE(Form<QLineEdit>(*w, "EditDataNum")->text(), QString("2048"));
        QCOMPARE(Form<QLineEdit>(*w, "EditSInterval")->text(), QString("50"));
        QCOMPARE(Form<QComboBox>(*w, "ComboSampUnit")->currentText(), QString("usec"));
        QCOMPARE(Form<QLineEdit>(*w, "EditIteration")->text(), QString("7"));
        QCOMPARE(Form<QLineEdit>(*w, "EditBurstInterval")->text(), QString("30"));
        QCOMPARE(Form<QComboBox>(*w, "ComboBoxBITUnit")->currentText(), QString("min"));
        QCOMPARE(Form<QComboBox>(*w, "ComboChNum")->currentText(), QString("2"));
        QCOMPARE(VisibleRows(*w), 2);
        QCOMPARE(Cell(*w, 1, 0), QString("1"));
        QCOMPARE(Cell(*w, 2, 0), QString("2"));
        QCOMPARE(Cell(*w, 2, 1), QString("加速度"));
        QCOMPARE(Cell(*w, 2, 2), QString("G"));
        QCOMPARE(Cell(*w, 2, 3), QString("1.5E-7"));
        QCOMPARE(Cell(*w, 2, 4), QString("-0.25"));
        // The sdf comment field keeps its padding: 8 bytes of text and 152 spaces.
        QCOMPARE(Form<QPlainTextEdit>(*w, "Memo1")->toPlainText().trimmed(), QString("振動試験"));
        QCOMPARE(w->TakeEntries().Memo1.size(), std::size_t(12 + 152));
        QCOMPARE(Form<QLineEdit>(*w, "EditWaitTime")->text(), QString("9"));
        QCOMPARE(Form<QLineEdit>(*w, "EditFileName")->text(), path);

        source.Header.ChannelCount = 3;
        source.Header.SamplingUnit = 2; // sec
        source.Header.SampleCount = 64;
        QVERIFY_THROWS_NO_EXCEPTION(WriteTsdHeader(source.Header, S(dir.filePath("b.TSD"))));
        w->LoadParametersFrom(dir.filePath("b.TSD"));
        QCOMPARE(Form<QLineEdit>(*w, "EditDataNum")->text(), QString("64"));
        QCOMPARE(Form<QComboBox>(*w, "ComboSampUnit")->currentText(), QString("sec"));
        QCOMPARE(VisibleRows(*w), 3);
        QCOMPARE(Form<QLineEdit>(*w, "EditWaitTime")->text(), QString("9"));

        // Any other extension does nothing.
        w->LoadParametersFrom(dir.filePath("b.txt"));
        QCOMPARE(Form<QLineEdit>(*w, "EditDataNum")->text(), QString("64"));
    }

    // An old sdf asks, is upgraded with the progress dialog, and a cancel leaves it as it was.
    void oldSdfIsUpgradedOrLeft() {
        QTemporaryDir dir;
        DetectOnlyCard card(0);
        RecordingPrompter prompter{MessageAnswer::No};
        auto w = StartWindow(card, prompter, dir.path(), dir.filePath("config"));
        QVERIFY(w);

        SDFdata source;
        source.Header.ChannelCount = 1;
        source.Header.SampleCount = 100;
        source.Header.BurstCount = 4;
        const QString old = dir.filePath("old.sdf");
        QVERIFY_THROWS_NO_EXCEPTION(WriteSdfHeader(source.Header, S(old)));
        {
            QFile f(old);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QByteArray bytes = f.readAll();
            QCOMPARE(bytes.mid(0, 40), QByteArray("Standard Burst-Interval Data Format Ver."));
            bytes[40] = '3';
            bytes.resize(512);
            for (int k = 0; k < 4; ++k)
                bytes.append(QByteArray(256, char(k + 1)));
            f.seek(0);
            f.write(bytes);
        }
        const QByteArray before = ReadAll(old);

        // Cancelled from the dialog as soon as it shows: nothing changes.
        prompter.Answers = {MessageAnswer::Yes};
        QTimer::singleShot(0, w.get(),
                           [&] { Child<QPushButton>(Progress(*w), "BitBtn1")->click(); });
        w->LoadParametersFrom(old);
        QVERIFY(Progress(*w).Cancelled());
        QVERIFY(Progress(*w).isHidden());
        QCOMPARE(ReadAll(old), before);
        QCOMPARE(Form<QLineEdit>(*w, "EditDataNum")->text(), QString("512"));
        QVERIFY(!QFile::exists(dir.filePath("Qr~temp1234!")));
        QVERIFY(!prompter.Messages.empty());

        prompter.Answers = {MessageAnswer::Yes};
        w->LoadParametersFrom(old);
        QVERIFY(!Progress(*w).Cancelled());
        QVERIFY(Progress(*w).isHidden());
        QCOMPARE(Progress(*w).windowTitle(), QString("ただ今、データ形式の更新中．．．．"));
        const QByteArray after = ReadAll(old);
        QCOMPARE(after[40], '4');
        QCOMPARE(after.size(), 512 + 4 * 200);
        QCOMPARE(Form<QLineEdit>(*w, "EditDataNum")->text(), QString("100"));
        QCOMPARE(Form<QLineEdit>(*w, "EditIteration")->text(), QString("4"));
    }

    void analysisProgramStartsInDataDirectory() {
        QTemporaryDir dir;
        DetectOnlyCard card(0);
        RecordingPrompter prompter{MessageAnswer::No};
        auto w = StartWindow(card, prompter, dir.path(), dir.filePath("config"));
        QVERIFY(w);
        const QString marker = dir.filePath("started.txt");
        QFile script(dir.filePath("Vendrask.EXE"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QString("#!/bin/sh\npwd > '%1'\necho \"$#\" >> '%1'\n").arg(marker).toUtf8());
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
        QVERIFY(QDir(dir.path()).mkpath("data"));

        Form<QLineEdit>(*w, "EditFileName")->setText(dir.filePath("data/run1.sdf"));
        QCOMPARE(w->AnalysisWorkingDirectory(), dir.filePath("data"));
        Menu<QAction>(*w, "RunApplication")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(ReadAll(marker).contains("\n0\n"), 5000);
        QCOMPARE(QString::fromUtf8(ReadAll(marker)).split('\n').first(), dir.filePath("data"));
        QVERIFY(prompter.Messages.empty());

        // A chosen program path is used instead of the default.
        QFile::remove(marker);
        QVERIFY(QFile::rename(dir.filePath("Vendrask.EXE"), dir.filePath("other")));
        w->SetApplicationPath(dir.filePath("other"));
        Form<QLineEdit>(*w, "EditFileName")->setText("run1.sdf");
        QCOMPARE(w->AnalysisWorkingDirectory(), QString());
        Menu<QAction>(*w, "RunApplication")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(QString::fromUtf8(ReadAll(marker)).split('\n').first(),
                                  QDir::currentPath(), 5000);
    }

    void viewerStartsOnTheDataFile() {
        QTemporaryDir dir;
        DetectOnlyCard card(0);
        RecordingPrompter prompter{MessageAnswer::No};
        auto w = StartWindow(card, prompter, dir.path(), dir.filePath("config"));
        QVERIFY(w);
        // Without the viewer beside the program: a message, nothing started.
        Menu<QAction>(*w, "ViewDataFile")->trigger();
        QCOMPARE(prompter.Messages.size(), std::size_t(1));
        QCOMPARE(prompter.Messages[0].Kind, MessageKind::Error);
        QCOMPARE(prompter.Messages[0].Text,
                 std::string("ビューア（tavrelrex-view）が見つかりません。"));

        const QString marker = dir.filePath("viewer.txt");
        QFile script(dir.filePath("tavrelrex-view"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QString("#!/bin/sh\necho \"$#:$1\" > '%1.part'\nmv '%1.part' '%1'\n")
                         .arg(marker)
                         .toUtf8());
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
        QVERIFY(QDir(dir.path()).mkpath("data"));
        const QString data = dir.filePath("data/run1.sdf");
        QFile(data).open(QIODevice::WriteOnly);
        Form<QLineEdit>(*w, "EditFileName")->setText(data);
        Menu<QAction>(*w, "ViewDataFile")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 5000);
        QCOMPARE(QString::fromUtf8(ReadAll(marker)).trimmed(), "1:" + data);

        // A data file not recorded yet: the viewer starts with none.
        QFile::remove(marker);
        Form<QLineEdit>(*w, "EditFileName")->setText(dir.filePath("data/run2.sdf"));
        Menu<QAction>(*w, "ViewDataFile")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 5000);
        QCOMPARE(QString::fromUtf8(ReadAll(marker)).trimmed(), QString("0:"));
        QCOMPARE(prompter.Messages.size(), std::size_t(1));
    }

    void missingAnalysisProgram() {
        QTemporaryDir dir;
        DetectOnlyCard card(0);
        RecordingPrompter prompter{MessageAnswer::No};
        auto w = StartWindow(card, prompter, dir.path(), dir.filePath("config"));
        QVERIFY(w);
        bool dialogSeen = false;
        prompter.Answers = {MessageAnswer::No};
        Menu<QAction>(*w, "RunApplication")->trigger();
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(prompter.Messages.size(), std::size_t(1));
        QCOMPARE(prompter.Messages[0].Kind, MessageKind::Error);
        QCOMPARE(prompter.Messages[0].Buttons, MessageButtons::YesNo);
        QCOMPARE(prompter.Messages[0].Text,
                 std::string("アプリケーションファイルが見つかりません。指定しますか。"));

        // Yes opens the choice; the chosen file is taken but not started.
        const QString chosen = dir.filePath("tool.sh");
        QFile tool(chosen);
        QVERIFY(tool.open(QIODevice::WriteOnly));
        tool.write("#!/bin/sh\ntouch started\n");
        tool.close();
        tool.setPermissions(tool.permissions() | QFileDevice::ExeOwner);
        prompter.Answers = {MessageAnswer::Yes};
        AnswerFileDialog(&dialogSeen, chosen);
        Menu<QAction>(*w, "RunApplication")->trigger();
        QVERIFY(dialogSeen);
        QCOMPARE(w->ApplicationPath(), chosen);
        QTest::qWait(200);
        QVERIFY(!QFile::exists(QDir::current().filePath("started")));
    }

    // Texts that Shift-JIS cannot hold are refused where they are typed.
    void entriesRefuseWhatShiftJisCannotHold() {
        QTemporaryDir dir;
        DetectOnlyCard card(0);
        RecordingPrompter prompter{MessageAnswer::No};
        auto w = StartWindow(card, prompter, dir.path(), dir.filePath("config"));
        QVERIFY(w);
        Form<QPlainTextEdit>(*w, "Memo1")->setPlainText("abc");
        Form<QPlainTextEdit>(*w, "Memo1")->moveCursor(QTextCursor::End);
        Form<QPlainTextEdit>(*w, "Memo1")
            ->insertPlainText(QString::fromUtf8("\xF0\x9F\x99\x82")); // an emoji
        QCOMPARE(Form<QPlainTextEdit>(*w, "Memo1")->toPlainText(), QString("abc"));
        QTRY_COMPARE(prompter.Messages.size(), std::size_t(1));
        QCOMPARE(prompter.Messages[0].Kind, MessageKind::Warning);
        QVERIFY(prompter.Messages[0].Text.find("コメント") != std::string::npos);

        // The comment holds 160 bytes: 80 double-byte characters, and not one byte more.
        const QString full(80, QChar(u'試'));
        Form<QPlainTextEdit>(*w, "Memo1")->setPlainText(full);
        QCOMPARE(Form<QPlainTextEdit>(*w, "Memo1")->toPlainText(), full);
        Form<QPlainTextEdit>(*w, "Memo1")->moveCursor(QTextCursor::End);
        Form<QPlainTextEdit>(*w, "Memo1")->insertPlainText("x");
        QCOMPARE(Form<QPlainTextEdit>(*w, "Memo1")->toPlainText(), full);
        QCOMPARE(w->TakeEntries().Memo1.size(), std::size_t(80 * 3));

        Form<QLineEdit>(*w, "EditFileName")->setText("/tmp/a.sdf");
        Form<QLineEdit>(*w, "EditFileName")->setFocus();
        Form<QLineEdit>(*w, "EditFileName")->end(false);
        QKeyEvent won(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                      QString::fromUtf8("\xE2\x82\xA9")); // typing the won sign
        QApplication::sendEvent(Form<QLineEdit>(*w, "EditFileName"), &won);
        QCOMPARE(Form<QLineEdit>(*w, "EditFileName")->text(), QString("/tmp/a.sdf"));
        QTRY_COMPARE(prompter.Messages.size(), std::size_t(2));
        QTest::keyClicks(Form<QLineEdit>(*w, "EditFileName"), "x");
        QCOMPARE(Form<QLineEdit>(*w, "EditFileName")->text(), QString("/tmp/a.sdfx"));
        Form<QButtonGroup>(*w, "TriggerModeGroup")->button(1)->click();
        QApplication::sendEvent(Form<QLineEdit>(*w, "TriggerLevel"), &won);
        QCOMPARE(Form<QLineEdit>(*w, "TriggerLevel")->text(), QString("0"));
        QTRY_COMPARE(prompter.Messages.size(), std::size_t(3));
        QVERIFY(prompter.Messages[2].Text.find("トリガ") != std::string::npos);

        Form<QTableWidget>(*w, "StringGridChannel")
            ->item(0, 1)
            ->setText(QString::fromUtf8("\xF0\x9F\x99\x82"));
        QCOMPARE(Cell(*w, 1, 1), QString("Ch.1"));
        QTRY_COMPARE(prompter.Messages.size(), std::size_t(4));
        Form<QTableWidget>(*w, "StringGridChannel")->item(0, 2)->setText("℃");
        QCOMPARE(Cell(*w, 1, 2), QString("℃"));
        QCOMPARE(prompter.Messages.size(), std::size_t(4));
    }

    // The message boxes themselves: caption by kind, the Japanese buttons.
    void messageBoxes() {
        QTemporaryDir dir;
        DetectOnlyCard card(0);
        RecordingPrompter prompter{MessageAnswer::No};
        auto w = StartWindow(card, prompter, dir.path(), dir.filePath("config"));
        QVERIFY(w);
        w->RedirectMessages(nullptr);
        QString caption;
        QStringList buttons;
        QString defaultButton;
        auto answer = [&](const QString& press) {
            QTimer::singleShot(50, [&, press] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box)
                    return;
                caption = box->windowTitle();
                defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
                buttons.clear();
                QAbstractButton* target = nullptr;
                for (QAbstractButton* b : box->buttons()) {
                    buttons << b->text();
                    if (b->text() == press)
                        target = b;
                }
                if (target)
                    target->click();
            });
        };
        answer("いいえ(&N)");
        QCOMPARE(w->ShowMessage(MessageKind::Confirmation, Verbatim("上書きしますか。"),
                                MessageButtons::YesNo),
                 MessageAnswer::No);
        QCOMPARE(caption, QString("確認"));
        QCOMPARE(buttons, QStringList({"はい(&Y)", "いいえ(&N)"}));
        answer("はい(&Y)");
        QCOMPARE(w->ShowMessage(MessageKind::Error, Verbatim("x"), MessageButtons::YesNo),
                 MessageAnswer::Yes);
        QCOMPARE(caption, QString("エラー"));
        // An overwrite question: Enter answers No.
        answer("いいえ(&N)");
        QCOMPARE(w->ShowMessage(MessageKind::Warning, Verbatim("上書きしますか。"),
                                MessageButtons::YesNoDefaultNo),
                 MessageAnswer::No);
        QCOMPARE(defaultButton, QString("いいえ(&N)"));
        QCOMPARE(buttons, QStringList({"はい(&Y)", "いいえ(&N)"}));
        answer("OK");
        QCOMPARE(w->ShowMessage(MessageKind::Warning, Verbatim("x"), MessageButtons::Ok),
                 MessageAnswer::Ok);
        QCOMPARE(caption, QString("警告"));
        QCOMPARE(buttons, QStringList({"OK"}));
    }

    void browseTakesChosenPath() {
        QTemporaryDir dir;
        DetectOnlyCard card(0);
        RecordingPrompter prompter{MessageAnswer::No};
        auto w = StartWindow(card, prompter, dir.path(), dir.filePath("config"));
        QVERIFY(w);
        QTest::mouseClick(Form<QButtonGroup>(*w, "RadioGroupFileTypeButtons")->button(1),
                          Qt::LeftButton, {}, QPoint(5, 9));
        bool seen = false;
        AnswerFileDialog(&seen, dir.filePath("chosen.tsd"));
        Form<QPushButton>(*w, "BitBtn1")->click();
        QVERIFY(seen);
        QCOMPARE(Own<QFileDialog>(*w, "SaveDialog1")->nameFilters().first(),
                 QString("時系列テキストファイル (*.tsd) (*.tsd)"));
        QCOMPARE(Form<QLineEdit>(*w, "EditFileName")->text(), dir.filePath("chosen.tsd"));
    }

    // The Help menu and the channel page's button open the help pages found beside the
    // program; the version entry shows the about box modally.
    void helpAndAboutBox() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("help"));
        for (const QString& name : QDir(TAVREL_HELP_DIR).entryList(QDir::Files))
            QVERIFY(
                QFile::copy(QDir(TAVREL_HELP_DIR).filePath(name), dir.filePath("help/" + name)));
        DetectOnlyCard card(0);
        RecordingPrompter prompter{MessageAnswer::No};
        auto w = StartWindow(card, prompter, dir.path(), dir.filePath("config"));
        QVERIFY(w);
        Menu<QAction>(*w, "Contents1")->trigger();
        QVERIFY(w->Help().isVisible());
        QCOMPARE(w->Help().CurrentPage().fileName(), QString("index.html"));
        Menu<QAction>(*w, "K1")->trigger();
        QCOMPARE(w->Help().CurrentPage().fileName(), QString("keywords.html"));
        Form<QTableWidget>(*w, "StringGridChannel")->setCurrentCell(0, 3);
        Form<QPushButton>(*w, "BitBtn2")->click();
        QCOMPARE(w->Help().CurrentPage().fileName(), QString("addata.html"));
        QCOMPARE(QDir(w->Help().HelpDir()).canonicalPath(),
                 QDir(dir.filePath("help")).canonicalPath());

        QString shownTitle;
        QStringList texts;
        QTimer::singleShot(50, [&] {
            auto* box = qobject_cast<AboutBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            shownTitle = box->windowTitle();
            texts << Child<QLabel>(*box, "ADREX")->text() << Child<QLabel>(*box, "Version")->text()
                  << Child<QLabel>(*box, "Comments")->text();
            Child<QPushButton>(*box, "OKButton")->click();
        });
        Menu<QAction>(*w, "Version1")->trigger();
        QCOMPARE(shownTitle, QString("バージョン情報"));
        QCOMPARE(texts, QStringList({"Tavrel for RATOC System Inc. PC-card", "Version 1.4",
                                     "AD conversion data aquisition system with REX-5054U/B "
                                     "(RATOC System Inc.)"}));
        const auto& about = *Child<AboutBox>(*w, "AboutBox");
        QCOMPARE(about.size(), QSize(298, 213));
        QVERIFY(!Child<QLabel>(about, "ProgramIcon")->pixmap().isNull());
    }

    // Esc presses the stop button while it is enabled.
    void escapePressesStop() {
        QTemporaryDir dir;
        DetectOnlyCard card(0);
        RecordingPrompter prompter{MessageAnswer::No};
        auto w = StartWindow(card, prompter, dir.path(), dir.filePath("config"));
        QVERIFY(w);
        QSignalSpy stops(Form<QPushButton>(*w, "BtnAdStop"), &QPushButton::clicked);
        w->activateWindow();
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QCOMPARE(stops.count(), 0); // disabled at start-up
        Form<QPushButton>(*w, "BtnAdStop")->setEnabled(true);
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QCOMPARE(stops.count(), 1);
    }

private:
    static std::string S(const QString& s) { return s.toStdString(); }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
